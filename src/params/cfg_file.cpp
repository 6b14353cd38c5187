#include "params/cfg_file.h"

#include <algorithm>
#include <stdexcept>

namespace tvx::params::cfgfile {

namespace {

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t word) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
}

std::uint32_t GetLe(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t word = 0;
  for (int i = 0; i < 4; ++i) word |= std::uint32_t{bytes[offset + i]} << (8 * i);
  return word;
}

}  // namespace

std::uint32_t ByteSum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return sum;
}

std::vector<std::uint8_t> Compose(const Images& images) {
  std::vector<std::uint8_t> out(Header.begin(), Header.end());
  out.reserve(FileBytes);
  std::uint32_t sum = 0;
  for (const Image& image : images) {
    out.insert(out.end(), image.begin(), image.end());
    sum += ByteSum(image);
  }
  PutLe(out, sum);
  PutLe(out, ~sum);
  return out;
}

Contents Inspect(std::span<const std::uint8_t> file) {
  Contents c;
  if (file.size() < HeaderBytes) return c;
  c.versionOk = file[0] == Header[0] && file[1] == Header[1] && file[2] * 256 + file[3] == int{ImageBytes};
  if (!c.versionOk) return c;
  const std::size_t images = (std::min(file.size(), ImagesEnd) - HeaderBytes) / ImageBytes;
  c.completeImages = static_cast<int>(images);
  if (file.size() >= FileBytes) {
    const std::uint32_t sum = ByteSum(file.subspan(HeaderBytes, ImagesEnd - HeaderBytes));
    const bool ok = GetLe(file, ImagesEnd) == sum && GetLe(file, ImagesEnd + 4) == ~sum;
    c.check = ok ? CheckWords::Valid : CheckWords::Invalid;
  }
  return c;
}

std::span<const std::uint8_t, ImageBytes> ImageOf(std::span<const std::uint8_t> file, int bank) {
  const std::size_t offset = HeaderBytes + static_cast<std::size_t>(bank) * ImageBytes;
  if (bank < 0 || bank >= Banks || file.size() < offset + ImageBytes)
    throw std::out_of_range("no complete image of this bank in the file");
  return file.subspan(offset).first<ImageBytes>();
}

std::uint32_t ImageWord(std::span<const std::uint8_t, ImageBytes> image, int i) {
  return GetLe(image, static_cast<std::size_t>(i) * 4);
}

int DifferingWords(std::span<const std::uint8_t, ImageBytes> a, std::span<const std::uint8_t, ImageBytes> b) {
  int n = 0;
  for (int i = 0; i < int{ImageBytes / 4}; ++i) n += ImageWord(a, i) != ImageWord(b, i);
  return n;
}

}  // namespace tvx::params::cfgfile
