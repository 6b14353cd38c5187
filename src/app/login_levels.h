// Login passwords, kept as salted digests, and level names, kept scrambled.
//
// A level name is unscrambled just before it is shown: from each byte, the
// position table's byte for its position and a constant that differs per text
// are subtracted (modulo 256). Texts are at most 24 bytes long.
// A password is never stored: an entry is derived with the build's salt
// (app/password_digest.h) and compared with the digests of the four levels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tvx::app {

inline constexpr std::size_t ScrambleTableSize = 24;
using ScrambleTable = std::array<std::uint8_t, ScrambleTableSize>;

struct StoredText {
  const std::uint8_t* bytes;
  std::size_t length;
  std::uint8_t constant;
};

std::string Unscramble(const StoredText& text, const ScrambleTable& positions);
// The inverse, used by tests and by anyone checking a generated table.
std::string Scramble(const std::string& plain, const ScrambleTable& positions, std::uint8_t constant);

inline constexpr int StoredPasswordCount = 4;

// The digests of the four passwords (levels 4, 3, 2, 1) and how they were made.
struct PasswordTable {
  const std::uint8_t* salt;
  std::size_t saltLength;
  std::uint32_t iterations;
  std::array<std::array<std::uint8_t, 32>, StoredPasswordCount> digests;
};

// The level an entered password gives: the stored passwords are compared in
// order (the first gives level 4, the fourth level 1), case-sensitively and as a
// whole; no match, the empty entry included, gives 0. `isPassword(i)` tells
// whether the entry is password i.
int LevelForPassword(const std::string& entered, const std::function<bool(int)>& isPassword);
// The same against the build's digests: the entry is derived once.
int LevelForPassword(const std::string& entered, const PasswordTable& table);

}  // namespace tvx::app
