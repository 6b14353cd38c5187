// The configuration file (*.cfg): the valve's three user profiles as raw data.
//
//   offset  size  content
//   0       2     0x01, 0x03: format version
//   2       2     0x02, 0x00: length of one profile image (512), high byte first
//   4       512   image of bank 0 (profile 1)
//   516     512   image of bank 1 (profile 2)
//   1028    512   image of bank 2 (profile 3)
//   1540    4     sum of the 1536 image bytes, least significant byte first
//   1544    4     bitwise complement of that sum, least significant byte first
//
// The program never interprets an image: it moves 512-byte images between the
// valve and the file. Files written by old versions end after the third image
// (1540 bytes) and carry no check words; they still load.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tvx::params::cfgfile {

inline constexpr std::size_t HeaderBytes = 4;
inline constexpr std::size_t ImageBytes = 512;
inline constexpr int Banks = 3;
inline constexpr std::size_t ImagesEnd = HeaderBytes + Banks * ImageBytes;  // 1540
inline constexpr std::size_t FileBytes = ImagesEnd + 8;                     // 1548
inline constexpr std::array<std::uint8_t, HeaderBytes> Header{0x01, 0x03, 0x02, 0x00};

using Image = std::array<std::uint8_t, ImageBytes>;
using Images = std::array<Image, Banks>;

// The sum of the bytes, each taken as unsigned.
std::uint32_t ByteSum(std::span<const std::uint8_t> bytes);

// A complete file of 1548 bytes: header, the three images, sum and complement.
std::vector<std::uint8_t> Compose(const Images& images);

enum class CheckWords {
  Absent,  // the file ends before them (an old file, or a short one)
  Valid,
  Invalid,  // the sum or its complement does not match the images
};

// What a file's bytes hold. Only the first FileBytes bytes are looked at.
struct Contents {
  bool versionOk = false;  // 01 03, then an image length of 512
  int completeImages = 0;  // 0..3 whole images after the header
  CheckWords check = CheckWords::Absent;
};
Contents Inspect(std::span<const std::uint8_t> file);

// Image `bank` of a file (it must be complete: bank < completeImages).
std::span<const std::uint8_t, ImageBytes> ImageOf(std::span<const std::uint8_t> file, int bank);

// Word i (0..127) of an image, least significant byte first.
std::uint32_t ImageWord(std::span<const std::uint8_t, ImageBytes> image, int i);

// How many of the 128 words of two images differ.
int DifferingWords(std::span<const std::uint8_t, ImageBytes> a, std::span<const std::uint8_t, ImageBytes> b);

}  // namespace tvx::params::cfgfile
