#include "app/login_levels.h"

namespace tvx::app {

std::string Unscramble(const StoredText& text, const ScrambleTable& positions) {
  std::string plain;
  const std::size_t length = text.length < ScrambleTableSize ? text.length : ScrambleTableSize;
  plain.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    plain.push_back(static_cast<char>(static_cast<std::uint8_t>(text.bytes[i] - positions[i] - text.constant)));
  }
  return plain;
}

std::string Scramble(const std::string& plain, const ScrambleTable& positions, std::uint8_t constant) {
  std::string stored;
  for (std::size_t i = 0; i < plain.size() && i < ScrambleTableSize; ++i) {
    stored.push_back(static_cast<char>(static_cast<std::uint8_t>(static_cast<std::uint8_t>(plain[i]) + positions[i] + constant)));
  }
  return stored;
}

int LevelForPassword(const std::string& entered, const std::function<std::string(int)>& storedPassword) {
  if (entered.empty()) return 0;
  for (int i = 0; i < StoredPasswordCount; ++i) {
    if (entered == storedPassword(i)) return 4 - i;
  }
  return 0;
}

}  // namespace tvx::app
