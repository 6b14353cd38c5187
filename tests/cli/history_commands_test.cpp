// The valve history from the command line: a read and a store are recorded
// with what they changed, and restore sends a record back as an ordinary send.
#include "cli/command_line.h"
#include "history/history_store.h"
#include "params/register_map.h"

namespace tvx::cli {
namespace {

class HistoryCommands : public CommandLine {
 protected:
  const testing::ScopedEnvironment historyFile{history::HistoryVariable, (folder_.path() / "history.sqlite").string()};
  Result tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Io io{out, err};
    const int code = cli::Run(args, io);
    return {code, out.str(), err.str()};
  }
  int sentFrames() {
    int n = 0;
    for (const auto& r : valve_.requests()) n += r[0] == 'W' || r[0] == 'S';
    return n;
  }
};

TEST_F(HistoryCommands, ChangesAreListedComparedAndUndoneOnlyOnTheirOwnValve) {
  valve_.model().setSerialNumber("SN-42");
  testing::ScopedEnvironment password(PasswordVariable, "technik");  // level 2
  const std::uint32_t pwm = valve_.model().parameter(params::reg::PWM);
  ASSERT_EQ(run({"info"}).code, ExitDone);  // record 1: the set as read
  ASSERT_EQ(run({"write", file("pwm.json", R"({"parameters": {"PWM": 1500}})"), "--store"}).code, ExitDone);

  const Result listed = tool({"history", "--serial", "SN-42", "--json"});
  ASSERT_EQ(listed.code, ExitDone) << listed.err;
  EXPECT_NE(listed.out.find("Zapisz"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("(PWM) [Hz] " + std::to_string(pwm) + " -> 1500"), std::string::npos) << listed.out;
  const Result diff = tool({"diff", "1", "3"});  // the read before the write, the write
  EXPECT_EQ(diff.code, ExitDone) << diff.err;
  EXPECT_NE(diff.out.find("(PWM) [Hz]"), std::string::npos) << diff.out;

  struct Case {
    const char* what;
    std::vector<std::string> args;
    const char* password;
    const char* serial;  // the valve connected
    int code;
    bool sends;
  };
  const Case cases[] = {
      {"no record", {"restore", "99"}, "technik", "SN-42", ExitFileError, false},
      {"below level 2", {"restore", "1"}, "serwis", "SN-42", ExitRefused, false},
      {"another valve", {"restore", "1", "--store"}, "technik", "SN-7", ExitRefused, false},
      {"another valve, asked for", {"restore", "1", "--other-valve"}, "technik", "SN-7", ExitDone, true},
      {"its own valve", {"restore", "1", "--store"}, "technik", "SN-42", ExitDone, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::ScopedEnvironment level(PasswordVariable, c.password);
    valve_.model().setSerialNumber(c.serial);
    valve_.model().setParameter(params::reg::PWM, 1500);
    valve_.clearRequests();
    const Result r = run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(sentFrames() > 0, c.sends);
    EXPECT_EQ(valve_.model().parameter(params::reg::PWM), c.sends ? pwm : 1500u);
  }
  EXPECT_EQ(valve_.requests().back().substr(0, 4), "S999");
  const Result after = tool({"history", "--serial", "SN-42"});
  EXPECT_NE(after.out.find("Przywróć zapis 1 (Zapisz): Częstotliwość PWM (PWM) [Hz] 1500 -> " + std::to_string(pwm)),
            std::string::npos)
      << after.out;
  EXPECT_EQ(run({"diff", "1", "valve"}).out.find("PWM"), std::string::npos);
}

}  // namespace
}  // namespace tvx::cli
