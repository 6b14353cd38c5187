// What `write` refuses with the valve's set in hand, as the window would not
// let a person enter it: items and configuration bits above the user's access
// level, currents above the level's limit, values the window shows in red, a
// float's word the valve does not hold, a file read from another valve.
#include "cli/cli.h"
#include "command_line.h"
#include "params/register_map.h"
#include "sim/frame_server.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tvx::cli {
namespace {

std::string Hex(std::uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "\"0x%08X\"", word);
  return text;
}

bool Sent(const std::vector<std::string>& requests) {
  for (const std::string& r : requests)
    if (r[0] == 'W' || r[0] == 'S') return true;
  return false;
}

TEST_F(CommandLine, WriteAppliesTheWindowsChecksBeforeAnythingIsSent) {
  const std::uint32_t valveWord = valve_.model().parameter(params::reg::Configuration);
  const auto config = [&](std::uint32_t bits) { return R"({"configuration": )" + Hex(valveWord ^ bits) + "}"; };
  struct Case {
    const char* password;
    std::string json;
    std::vector<std::string> options;
    int code;
    const char* says;  // in the error output; nullptr: the set is sent
  } cases[] = {
      // Currents: the level's limit, and the limit of every level.
      {"serwis", R"({"parameters": {"Coil_A_Imax": 2.0}})", {}, ExitRefused, "access level 2 allows it"},
      {"serwis", R"({"parameters": {"Coil_A_Imax": 1.5}})", {}, ExitDone, nullptr},
      {"tvx2022", R"({"parameters": {"Coil_B_Imin": 99}})", {}, ExitFileError, "every access level"},
      // With dither on (as the valve has it) PWM is held at 2000 below level 2.
      {"serwis", R"({"parameters": {"PWM": 1500}})", {}, ExitRefused, "holds it at 2000"},
      {"serwis", R"({"parameters": {"PWM": 2000}})", {}, ExitDone, nullptr},
      // Ranges the window shows in red.
      {"tvx2022", R"({"parameters": {"PWM": 20000}})", {}, ExitFileError, "PWM 20000 is outside 50 to 5000 Hz"},
      {"tvx2022", R"({"parameters": {"PWM": 20000}})", {"--allow-out-of-range"}, ExitDone, nullptr},
      // A value the valve now holds out of range stops a write of anything else, as
      // the window's question lists every red field; a file that brings it back passes.
      {"tvx2022", R"({"parameters": {"Dither_Freq": 100}})", {}, ExitFileError, "values outside their limits"},
      {"tvx2022", R"({"parameters": {"PWM": 1500}})", {}, ExitDone, nullptr},
      {"tvx2022", R"({"parameters": {"Coil_A_Imin": 1.2, "Coil_A_Imax": 1.0}})", {}, ExitFileError, "is not above"},
      {"tvx2022", R"({"parameters": {"I_Limit": 3.5}})", {}, ExitFileError, "I_Limit 3.500"},
      {"tvx2022", R"({"parameters": {"Dither_Freq": 5}})", {}, ExitFileError, "Dither_Freq 5"},
      {"tvx2022", R"({"parameters": {"Dither_Ampl": 1300}})", {}, ExitFileError, "quarter of the valve's PWM maximum"},
      // Configuration bits: a changed bit at its control's level, unchanged ones at any.
      {"technik", config(1u << params::cfg::ServiceMode), {}, ExitRefused, "(ServiceMode) needs access level 4"},
      {"technik", config(1u << params::cfg::LVDT_CrossWire), {}, ExitRefused, "(LVDT_CrossWire) needs access level 3"},
      {"technik", config(1u << params::cfg::SetValDacMode), {}, ExitRefused, "(SetValDacMode) needs access level 3"},
      {"technik", config(1u << params::cfg::UseTable_A), {}, ExitRefused, "(UseTable_A) needs access level 3"},
      // (the word written back unchanged before a change is sent)
      {"serwis", config(0), {}, ExitDone, nullptr},
      {"technik", config(1u << params::cfg::Filter_DAC), {}, ExitDone, nullptr},
      {"tvx2022", config(1u << params::cfg::RemoteControl), {}, ExitFileError, "(RemoteControl) is not changed"},
      // A float's word only as the valve holds it.
      {"tvx2022", R"({"parameters": {"PID_P": "0x7FC00000"}})", {}, ExitFileError, "a word is taken only"},
      // The valve the file was read from.
      {"tvx2022", R"({"valve": {"type": "PRV-10"}, "parameters": {"PWM": 1500}})", {}, ExitFileError, "another valve"},
      {"tvx2022", R"({"valve": {"positions": 2, "lvdt": true}, "parameters": {}})", {}, ExitFileError, "positions 2"},
      {"tvx2022", R"({"valve": {"input": "current"}, "parameters": {}})", {}, ExitFileError, "input current"},
      {"tvx2022", R"({"valve": {"positions": 2}, "parameters": {"PWM": 1500}})", {"--other-valve"}, ExitDone, nullptr},
  };
  for (const Case& c : cases) {
    testing::ScopedEnvironment password(PasswordVariable, c.password);
    valve_.clearRequests();
    std::vector<std::string> args = {"write", file("set.json", c.json)};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Result r = run(args);
    EXPECT_EQ(r.code, c.code) << c.json << '\n' << r.err;
    if (c.says) {
      EXPECT_NE(r.err.find(c.says), std::string::npos) << c.json << '\n' << r.err;
      EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
      EXPECT_FALSE(Sent(valve_.requests())) << c.json;
    } else {
      EXPECT_TRUE(Sent(valve_.requests())) << c.json;
    }
  }
}

// A link error the command saw, even one its sequence went on after, is no success.
TEST_F(CommandLine, LinkErrorsNeverEndInSuccess) {
  testing::ScopedEnvironment password(PasswordVariable, "tvx2022");
  const std::string pwm = file("pwm.json", R"({"parameters": {"PWM": 1500}})");
  struct Case {
    std::vector<std::string> args;
    const char* fault;  // the request answered with garbage
  } cases[] = {
      {{"write", pwm, "--store"}, "G002"},  // the set value, read before the send
      {{"read"}, "G002"},
      {{"read", "--json"}, "G002"},
  };
  for (const Case& c : cases) {
    valve_.clearRequests();
    valve_.server().injectFault(sim::Fault{sim::FaultKind::Garbage, 0, c.fault, 1});
    const Result r = run(c.args);
    EXPECT_EQ(r.code, ExitLinkFailure) << c.args[0] << '\n' << r.err;
    EXPECT_EQ(r.err.find("Parameters sent"), std::string::npos) << r.err;
    if (c.args[0] == "write") {
      EXPECT_FALSE(Sent(valve_.requests()));
    }
    valve_.server().clearFaults();
  }
}

}  // namespace
}  // namespace tvx::cli
