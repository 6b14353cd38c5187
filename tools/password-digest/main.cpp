// password-digest SALT_HEX ITERATIONS PASSWORD...
// Prints, one line per password, the comma-separated bytes of its
// PBKDF2-HMAC-SHA256 digest as C++ hex literals.
#include "app/password_digest.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: password-digest SALT_HEX ITERATIONS PASSWORD...\n");
    return 1;
  }
  const std::string hex = argv[1];
  std::vector<std::uint8_t> salt;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    salt.push_back(static_cast<std::uint8_t>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  const auto iterations = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
  for (int a = 3; a < argc; ++a) {
    const tvx::app::Sha256Digest digest = tvx::app::Pbkdf2Sha256(argv[a], salt, iterations);
    for (std::size_t i = 0; i < digest.size(); ++i) std::printf("%s0x%02x", i ? ", " : "", digest[i]);
    std::printf("\n");
  }
  return 0;
}
