// What `info`, `status` and the report show at each access level: what the
// window shows at that level, nothing more.
#include "app/access_tags.h"
#include "command_line.h"
#include "link/link_session.h"
#include "params/register_map.h"
#include "report/report_content.h"
#include "cli/cli_command.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tvx::cli {
namespace {

TEST_F(CommandLine, InfoAndStatusShowWhatTheWindowShowsAtTheLevel) {
  valve_.model().setStop(20, 1.5f);
  struct Case {
    const char* password;  // "" for level 0
    const char* command;
    std::vector<std::string> shown, hidden;
  } cases[] = {
      {"", "info", {"Type: "}, {"Serial number"}},
      {"serwis", "info", {"Serial number: "}, {}},
      {"",
       "status",
       {"Info_Usupply: ", "StopCodeLabel: "},
       {"Info_Upower", "Coil_A_Peak", "Coil_A_Set", "Info_Lvdt", "DAC_Value", "StopText"}},
      {"serwis", "status", {"Info_Usupply: "}, {"Info_Upower", "Coil_B_Peak", "Info_Lvdt_PID", "StopText"}},
      {"technik", "status", {"Info_Upower: ", "Coil_A_Peak: ", "Coil_B_Set: ", "Info_Lvdt: ", "StopText: "}, {}},
  };
  for (const Case& c : cases) {
    testing::ScopedEnvironment password(PasswordVariable, c.password);
    const Result r = run({c.command});
    ASSERT_EQ(r.code, ExitDone) << r.err;
    for (const std::string& s : c.shown)
      EXPECT_NE(r.out.find(s), std::string::npos) << c.password << ' ' << s << '\n' << r.out;
    for (const std::string& s : c.hidden)
      EXPECT_EQ(r.out.find(s), std::string::npos) << c.password << ' ' << s << '\n' << r.out;
  }
}

TEST_F(CommandLine, ReportNamesTheLvdtWiringOnlyWhereTheWindowShowsIt) {
  link::LinkSession session(valve_.comNumber());
  ASSERT_TRUE(session.open());
  for (int level : {2, 3}) {
    std::ostringstream err;
    CliQuestions questions(err);
    const report::ReportContent content = report::ReadReport(session.port(), app::ShownAtLevel(level), ',', questions);
    bool wiring = false;
    for (const auto& entry : content.identity) wiring = wiring || entry.name == "Podłączenie czujnika LVDT";
    EXPECT_EQ(wiring, level >= 3) << level;
  }
}

}  // namespace
}  // namespace tvx::cli
