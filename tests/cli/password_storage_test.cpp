// The program files hold no login password, neither plain nor in the
// scramble older versions kept them in; the digests still give the levels.
#include "app/login_levels.h"
#include "app/login_table.h"
#include "login_passwords.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

namespace tvx::app {
namespace {

// Whether `text` stands in `bytes` as a string of its own (ended by a NUL, not
// preceded by a letter): a password may also be a word inside the program's
// texts, as "serwis" is.
bool HoldsString(const std::string& bytes, const std::string& text) {
  for (std::size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) {
    const std::size_t end = at + text.size();
    const unsigned char before = at > 0 ? static_cast<unsigned char>(bytes[at - 1]) : 0;
    if (end < bytes.size() && bytes[end] == '\0' && !std::isalnum(before) && before < 0x80) return true;
  }
  return false;
}

TEST(PasswordStorage, NoPasswordCanBeFoundInTheProgramFiles) {
  // The position constants of the scramble the passwords were once kept in.
  constexpr std::uint8_t OldConstants[StoredPasswordCount] = {19, 43, 7, 31};
  for (const char* program : {TVX_WINDOW_PROGRAM, TVX_CLI_PROGRAM}) {
    std::ifstream in(program, std::ios::binary);
    ASSERT_TRUE(in) << program;
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(bytes.size(), 100000u) << program;
    for (int i = 0; i < StoredPasswordCount; ++i) {
      const std::string plain = testing::LoginPasswords[i];
      EXPECT_FALSE(HoldsString(bytes, plain)) << program << ": password of level " << 4 - i;
      EXPECT_EQ(bytes.find(Scramble(plain, login_table::Positions, OldConstants[i])), std::string::npos)
          << program << ": scrambled password of level " << 4 - i;
    }
  }
  for (int i = 0; i < StoredPasswordCount; ++i)
    EXPECT_EQ(LevelForPassword(testing::LoginPasswords[i], login_table::Passwords), 4 - i);
}

}  // namespace
}  // namespace tvx::app
