#include "sim/cfg_import.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace sim {

namespace {
constexpr std::size_t HeaderBytes = 4;
constexpr std::size_t ImageBytes = 3 * BankBytes;

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}
}  // namespace

bool readCfgBanks(const std::string& path, std::array<Bank, 3>& banks, std::string& error) {
  // A regular file only: a FIFO or a device is never opened.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": not a regular file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (file.size() < HeaderBytes || file[0] != 0x01 || file[1] != 0x03 || file[2] != 0x02 || file[3] != 0x00) {
    error = "not a configuration file of this format";
    return false;
  }
  if (file.size() < HeaderBytes + ImageBytes) {
    error = "the file ends before its third profile";
    return false;
  }
  std::uint32_t sum = 0;
  for (std::size_t i = HeaderBytes; i < HeaderBytes + ImageBytes; ++i) sum += file[i];
  const std::size_t check = HeaderBytes + ImageBytes;
  if (file.size() >= check + 8 && (le32(file, check) != sum || le32(file, check + 4) != ~sum)) {
    error = "the file's check sum does not match its profiles";
    return false;
  }
  for (std::size_t b = 0; b < banks.size(); ++b)
    std::copy_n(file.begin() + static_cast<long>(HeaderBytes + b * BankBytes), BankBytes, banks[b].begin());
  return true;
}

}  // namespace sim
