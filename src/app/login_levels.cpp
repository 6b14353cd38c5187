#include "app/login_levels.h"

#include "app/password_digest.h"

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
    stored.push_back(
        static_cast<char>(static_cast<std::uint8_t>(static_cast<std::uint8_t>(plain[i]) + positions[i] + constant)));
  }
  return stored;
}

int LevelForPassword(const std::string& entered, const std::function<bool(int)>& isPassword) {
  if (entered.empty()) return 0;
  for (int i = 0; i < StoredPasswordCount; ++i) {
    if (isPassword(i)) return 4 - i;
  }
  return 0;
}

int LevelForPassword(const std::string& entered, const PasswordTable& table) {
  if (entered.empty()) return 0;
  const Sha256Digest digest = Pbkdf2Sha256(entered, {table.salt, table.saltLength}, table.iterations);
  return LevelForPassword(entered, [&](int i) {
    // Every byte compared, whatever differs first.
    std::uint8_t difference = 0;
    for (std::size_t j = 0; j < digest.size(); ++j)
      difference |= static_cast<std::uint8_t>(digest[j] ^ table.digests[static_cast<std::size_t>(i)][j]);
    return difference == 0;
  });
}

}  // namespace tvx::app
