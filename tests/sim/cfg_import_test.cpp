// valve-sim --cfg: the user banks from a configuration file the tool saved.
#include "sim/cfg_import.h"

#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <fstream>

namespace sim {
namespace {

std::vector<std::uint8_t> CfgFile(std::size_t size) {
  std::vector<std::uint8_t> f{1, 3, 2, 0};
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 3 * BankBytes; ++i) {
    f.push_back(static_cast<std::uint8_t>(i * 13 + 5));
    sum += f.back();
  }
  for (std::uint32_t w : {sum, ~sum})
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
  f.resize(size);
  return f;
}

TEST(CfgImport, TakesTheToolsFilesAndRefusesOthers) {
  tvx::testing::TempFolder folder;
  const std::string path = (folder.path() / "a.cfg").string();
  auto write = [&](const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  auto flipped = CfgFile(1548);
  flipped[600] ^= 1;
  auto version = CfgFile(1548);
  version[1] = 2;
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    bool ok;
  };
  const Case cases[] = {
      {"complete", CfgFile(1548), true},  {"old, without check words", CfgFile(1540), true},
      {"short", CfgFile(1539), false},    {"sum does not match", flipped, false},
      {"another format", version, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write(c.file);
    std::array<Bank, 3> banks{};
    std::string error;
    EXPECT_EQ(readCfgBanks(path, banks, error), c.ok) << error;
    if (c.ok) {
      EXPECT_TRUE(std::equal(banks[2].begin(), banks[2].end(), c.file.begin() + 4 + 2 * BankBytes));
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
  std::array<Bank, 3> banks{};
  std::string error;
  EXPECT_FALSE(readCfgBanks((folder.path() / "none.cfg").string(), banks, error));
}

}  // namespace
}  // namespace sim
