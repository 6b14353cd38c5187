// The program files hold no login password, neither plain nor in the
// scramble older versions kept them in; the digests still give the levels.
#include "app/login_levels.h"
#include "app/login_table.h"
#include "login_passwords.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace tvx::app {
namespace {

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
      EXPECT_EQ(bytes.find(plain), std::string::npos) << program << ": password of level " << 4 - i;
      EXPECT_EQ(bytes.find(Scramble(plain, login_table::Positions, OldConstants[i])), std::string::npos)
          << program << ": scrambled password of level " << 4 - i;
    }
  }
  for (int i = 0; i < StoredPasswordCount; ++i)
    EXPECT_EQ(LevelForPassword(testing::LoginPasswords[i], login_table::Passwords), 4 - i);
}

}  // namespace
}  // namespace tvx::app
