#include "app/login_levels.h"
#include "app/password_digest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace tvx::app {
namespace {

constexpr ScrambleTable Table = {3, 250, 17, 0,  99, 128, 1,  2,  3,  4,  5,  6,
                                 7, 8,   9,  10, 11, 12,  13, 14, 15, 16, 17, 255};

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(LoginLevels, UnscrambleSubtractsPositionAndConstant) {
  // 'a' + 3 + 10 = 'n'; 'b' + 250 + 10 wraps to 0x66.
  const std::vector<std::uint8_t> stored = {'n', 0x66};
  EXPECT_EQ(Unscramble({stored.data(), stored.size(), 10}, Table), "ab");
}

TEST(LoginLevels, ScrambleRoundTripsUtf8AndWrapsBytes) {
  for (const std::string& plain :
       {std::string("tvx2022"), std::string("Użytkownik"), std::string("\xff\x01 z"), std::string(24, '~')}) {
    const std::vector<std::uint8_t> stored = Bytes(Scramble(plain, Table, 47));
    ASSERT_EQ(stored.size(), plain.size());
    EXPECT_NE(std::string(stored.begin(), stored.end()), plain);
    EXPECT_EQ(Unscramble({stored.data(), stored.size(), 47}, Table), plain);
  }
}

TEST(LoginLevels, TextsStopAt24Bytes) {
  const std::vector<std::uint8_t> stored = Bytes(Scramble(std::string(30, 'x'), Table, 1));
  EXPECT_EQ(stored.size(), 24u);
  EXPECT_EQ(Unscramble({stored.data(), 30, 1}, Table), std::string(24, 'x'));
}

TEST(LoginLevels, PasswordsAreComparedInOrderAsWholeCaseSensitiveTexts) {
  // A table of digests made with two rounds, as the build makes them with many.
  const std::vector<std::string> stored = {"four", "three", "two", "one"};
  const std::uint8_t salt[] = {1, 2, 3, 4, 5, 6, 7, 8};
  PasswordTable table{salt, sizeof salt, 2, {}};
  for (std::size_t i = 0; i < 4; ++i) table.digests[i] = Pbkdf2Sha256(stored[i], salt, 2);
  EXPECT_EQ(LevelForPassword("four", table), 4);
  EXPECT_EQ(LevelForPassword("three", table), 3);
  EXPECT_EQ(LevelForPassword("two", table), 2);
  EXPECT_EQ(LevelForPassword("one", table), 1);
  EXPECT_EQ(LevelForPassword("One", table), 0);
  EXPECT_EQ(LevelForPassword("on", table), 0);
  EXPECT_EQ(LevelForPassword("one ", table), 0);
  EXPECT_EQ(LevelForPassword("", table), 0);
  // Another salt gives other digests: nothing matches.
  const std::uint8_t otherSalt[] = {9};
  EXPECT_EQ(LevelForPassword("four", PasswordTable{otherSalt, 1, 2, table.digests}), 0);
}

TEST(LoginLevels, DigestIsPbkdf2WithHmacSha256) {
  struct Case {
    const char* password;
    const char* salt;
    std::uint32_t iterations;
    const char* hex;  // the first 32 bytes of the derived key
  } cases[] = {
      {"password", "salt", 1, "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
      {"password", "salt", 2, "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
      {"password", "salt", 4096, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"},
      {"passwd", "salt", 1, "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"},
  };
  for (const Case& c : cases) {
    const std::string salt = c.salt;
    const Sha256Digest key = Pbkdf2Sha256(c.password, Bytes(salt), c.iterations);
    std::string hex;
    for (std::uint8_t b : key) {
      char two[3];
      std::snprintf(two, sizeof two, "%02x", b);
      hex += two;
    }
    EXPECT_EQ(hex, c.hex) << c.password << ' ' << c.iterations;
  }
}

TEST(LoginLevels, FirstMatchWinsAndEmptyEntryNeverMatches) {
  const std::vector<std::string> stored = {"same", "same", "", "x"};
  std::string entry;
  auto password = [&](int i) { return entry == stored.at(static_cast<std::size_t>(i)); };
  entry = "same";
  EXPECT_EQ(LevelForPassword("same", password), 4);
  entry = "";
  EXPECT_EQ(LevelForPassword("", password), 0);
}

}  // namespace
}  // namespace tvx::app
