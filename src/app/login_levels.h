// Login passwords and level names, kept scrambled in the program.
//
// A stored text is unscrambled just before it is compared or shown: from each
// byte, the position table's byte for its position and a constant that differs
// per text are subtracted (modulo 256). Texts are at most 24 bytes long.
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

// The level an entered password gives: the stored passwords are compared in
// order (the first gives level 4, the fourth level 1), case-sensitively and as a
// whole; no match, the empty entry included, gives 0. `storedPassword(i)`
// unscrambles password i on demand.
int LevelForPassword(const std::string& entered, const std::function<std::string(int)>& storedPassword);

}  // namespace tvx::app
