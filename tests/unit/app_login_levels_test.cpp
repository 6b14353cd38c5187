#include "app/login_levels.h"

#include <gtest/gtest.h>

#include <vector>

namespace tvx::app {
namespace {

constexpr ScrambleTable Table = {3, 250, 17, 0, 99, 128, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 255};

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(LoginLevels, UnscrambleSubtractsPositionAndConstant) {
  // 'a' + 3 + 10 = 'n'; 'b' + 250 + 10 wraps to 0x66.
  const std::vector<std::uint8_t> stored = {'n', 0x66};
  EXPECT_EQ(Unscramble({stored.data(), stored.size(), 10}, Table), "ab");
}

TEST(LoginLevels, ScrambleRoundTripsUtf8AndWrapsBytes) {
  for (const std::string& plain : {std::string("tvx2022"), std::string("Użytkownik"), std::string("\xff\x01 z"),
                                  std::string(24, '~')}) {
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
  const std::vector<std::string> stored = {"four", "three", "two", "one"};
  auto password = [&](int i) { return stored.at(static_cast<std::size_t>(i)); };
  EXPECT_EQ(LevelForPassword("four", password), 4);
  EXPECT_EQ(LevelForPassword("three", password), 3);
  EXPECT_EQ(LevelForPassword("two", password), 2);
  EXPECT_EQ(LevelForPassword("one", password), 1);
  EXPECT_EQ(LevelForPassword("One", password), 0);
  EXPECT_EQ(LevelForPassword("on", password), 0);
  EXPECT_EQ(LevelForPassword("one ", password), 0);
  EXPECT_EQ(LevelForPassword("", password), 0);
}

TEST(LoginLevels, FirstMatchWinsAndEmptyEntryNeverMatches) {
  const std::vector<std::string> stored = {"same", "same", "", "x"};
  auto password = [&](int i) { return stored.at(static_cast<std::size_t>(i)); };
  EXPECT_EQ(LevelForPassword("same", password), 4);
  EXPECT_EQ(LevelForPassword("", password), 0);
}

}  // namespace
}  // namespace tvx::app
