// The command line tool against the simulated valve, in process: what each
// command sends (the simulator's request log) and what it refuses to send.
#include "cli/cli.h"
#include "command_line.h"
#include "link/protocol.h"
#include "params/conversions.h"
#include "params/register_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tvx::cli {
namespace {

void UnsetEnvironment(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");  // an empty value removes it
#else
  unsetenv(name);
#endif
}

TEST_F(CommandLine, JsonReadWrittenBackLeavesTheValveUnchangedWordForWord) {
  testing::ScopedEnvironment password(PasswordVariable, "tvx2022");
  // A float word the fields cannot show exactly must go back bit for bit as well.
  valve_.model().setParameter(params::reg::PID_D, 0x3DCCCCCEu);
  valve_.model().setParameterFloat(params::reg::Coil_A_Imin, 0.1f);
  const Result read = run({"read", "--json"});
  ASSERT_EQ(read.code, ExitDone) << read.err;
  const auto before = parameters();

  valve_.clearRequests();
  const Result write = run({"write", file("set.json", read.out)});
  ASSERT_EQ(write.code, ExitDone) << write.err;
  EXPECT_EQ(parameters(), before);
  int writes = 0;
  for (const std::string& r : valve_.requests()) {
    if (r[0] != 'W') continue;
    ++writes;
    const int reg = std::stoi(r.substr(1, 3));
    EXPECT_EQ(std::stoul(r.substr(5), nullptr, 16), before[static_cast<std::size_t>(reg)]) << r;
  }
  EXPECT_GT(writes, 20);
}

TEST_F(CommandLine, ChangedValueIsSentAndStored) {
  testing::ScopedEnvironment password(PasswordVariable, "technik");  // level 2: PWM is free with dither on
  const Result r = run({"write", file("pwm.json", R"({"parameters": {"PWM": 1500, "PID_P": 3.25}})"), "--store"});
  ASSERT_EQ(r.code, ExitDone) << r.err;
  EXPECT_EQ(valve_.model().parameter(params::reg::PWM), 1500u);
  EXPECT_EQ(valve_.model().parameter(params::reg::PID_P), params::FloatToWord(3.25f));
  EXPECT_EQ(valve_.requests().back().substr(0, 4), "S999");
}

TEST_F(CommandLine, BadFileSendsNothing) {
  testing::ScopedEnvironment password(PasswordVariable, "tvx2022");
  const char* files[] = {
      R"({"parameters": {"PWMX": 1}})",          // unknown name
      R"({"parameters": {"NearZeroKp": 1}})",    // read, but never sent
      R"({"parameters": {"PWM": -1}})",          // below an unsigned register
      R"({"parameters": {"PWM": 4294967296}})",  // beyond 32 bits
      R"({"parameters": {"PWM": 1.5}})",         // no whole number
      R"({"parameters": {"PID_P": 1e39}})",      // beyond a single
      R"({"parameters": {"PID_P": "fast"}})",    // no number
      R"({"parameters": {"PID_P": true}})",
      R"({"configuration": 5})",          // a word is given in hex
      R"({"parameter": {}})",             // unknown item
      R"({"parameters": {"PWM": 1000})",  // no JSON
      R"([1, 2])",
      R"({"configuration": "0xFFFFFFFF"})",                            // bits that name no item
      R"({"parameters": {"PWM": 1000}, "parameters": {"PID_P": 2}})",  // a name twice
      R"({"parameters": {"PWM": 1000, "PWM": 1500}})",
      R"({"parameters": {"PWM": 1000, "\u0050WM": 1500}})",
      R"({"valve": {"type": "A", "type": "B"}, "parameters": {}})",
      R"({"valve": {"positions": 4}})",  // no valve has it
  };
  for (const char* text : files) {
    valve_.clearRequests();
    const Result r = run({"write", file("bad.json", text)});
    EXPECT_EQ(r.code, ExitFileError) << text;
    EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << text << r.err;
    EXPECT_TRUE(valve_.requests().empty()) << text;
  }
  valve_.clearRequests();
  EXPECT_EQ(run({"write", (folder_.path() / "missing.json").string()}).code, ExitFileError);
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(CommandLine, WriteBeyondTheAccessLevelIsRefusedAndSendsNothing) {
  const std::string pwm = file("pwm.json", R"({"parameters": {"PWM": 1500}})");
  const std::string gain = file("gain.json", R"({"parameters": {"DAC_Gain": 1.01}})");
  const std::string limit = file("limit.json", R"({"parameters": {"I_Limit": 3}})");
  struct Case {
    const char* password;  // nullptr: none in the environment
    std::optional<std::string> typed;
    std::string file;
  } cases[] = {
      {nullptr, std::nullopt, pwm},  // no terminal to ask on
      {nullptr, "wrong", pwm},
      {"serwis", std::nullopt, gain},    // level 1, the field needs 2
      {"technik", std::nullopt, limit},  // level 2, the field needs 3
  };
  for (const Case& c : cases) {
    std::optional<testing::ScopedEnvironment> env;
    env.emplace(PasswordVariable, c.password ? c.password : "");
    if (!c.password) UnsetEnvironment(PasswordVariable);
    valve_.clearRequests();
    const Result r = run({"write", c.file}, c.typed);
    EXPECT_EQ(r.code, ExitRefused) << c.file;
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
    EXPECT_TRUE(valve_.requests().empty()) << c.file;
  }
  // The typed password of the right level is enough.
  UnsetEnvironment(PasswordVariable);
  EXPECT_EQ(run({"write", pwm}, "technik").code, ExitDone);
}

TEST_F(CommandLine, StatusWatchAppendsOneRowPerRefreshWithTheStopInWords) {
  testing::ScopedEnvironment password(PasswordVariable, "technik");  // the stop in words from level 2
  valve_.model().setState(params::state::StopCode, 15);
  const std::string csv = (folder_.path() / "status.csv").string();
  stopAfterRows_ = 3;
  ASSERT_EQ(run({"status", "--watch", "0.05", "--csv", csv}).code, ExitDone);
  stopAfterRows_ = 2;
  ASSERT_EQ(run({"status", "--watch", "0.05", "--csv", csv, "--quiet"}).code, ExitDone);

  std::ifstream in(csv);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u);  // one header, then the rows of both runs
  EXPECT_EQ(lines[0].substr(0, 5), "time,");
  const auto fields = [](const std::string& s) { return std::count(s.begin(), s.end(), ','); };
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(fields(lines[i]), fields(lines[0])) << lines[i];
    EXPECT_NE(lines[i].find(",15,"), std::string::npos);  // the stop code column
    EXPECT_NE(lines[i].find("napięcia odniesienia"), std::string::npos);
  }
}

TEST_F(CommandLine, FailedExchangeIsALinkFailure) {
  testing::ScriptedReply garbage(valve_.server(), std::string("\x02GARBAGE\x03"));
  const Result r = run({"info"});
  EXPECT_EQ(r.code, ExitLinkFailure);
  EXPECT_NE(r.err.find("Kod błędu"), std::string::npos) << r.err;
}

TEST_F(CommandLine, UsageErrorsSendNothing) {
  const std::vector<std::vector<std::string>> lines = {
      {"bogus"}, {"read", "--nope"}, {"write"}, {"status", "--csv"}, {"info", "extra"}, {"read", "--port", "COM17"},
  };
  for (const auto& args : lines) {
    valve_.clearRequests();
    std::ostringstream out, err;
    Io io{out, err};
    EXPECT_EQ(cli::Run(args, io), ExitUsage) << args[0];
    EXPECT_TRUE(valve_.requests().empty());
  }
}

}  // namespace
}  // namespace tvx::cli
