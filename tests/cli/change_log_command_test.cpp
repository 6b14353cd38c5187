// The change log from the command line: the tool's writes land in it, and
// `log --serial` prints the lines of one valve.
#include "app/change_log_place.h"
#include "cli/cli.h"
#include "support/change_log_lines.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tvx::cli {
namespace {

// Every test of this program logs into a folder of its own, never into the
// user's data folder.
const testing::TempFolder LogFolder;
const testing::ScopedEnvironment LogFile(app::ChangeLogVariable, (LogFolder.path() / "change-log.txt").string());

struct Result {
  int code;
  std::string out, err;
};

Result RunTool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  Io io{out, err};
  const int code = cli::Run(args, io);
  return {code, out.str(), err.str()};
}

TEST(ChangeLogCommand, WritesOfTheToolLandInTheLogThatLogPrintsByValve) {
  testing::TempFolder folder;
  const std::string log = (folder.path() / "log.txt").string();
  const testing::ScopedEnvironment logFile(app::ChangeLogVariable, log);
  const std::string other = "2026-12-08T10:00:00+01:00\tSN-7\tPRV-10\tV1.4   03-11-2022\tReset\tS998 = 5555AAAA\n";
  std::ofstream(log, std::ios::binary) << other;

  testing::SimulatedValve valve;
  valve.model().setSerialNumber("SN-42");
  const std::string set = (folder.path() / "set.json").string();
  std::ofstream(set) << R"({"parameters": {"PWM": 1500}})";
  const testing::ScopedEnvironment password(PasswordVariable, "technik");
  ASSERT_EQ(RunTool({"write", set, "--store", "--port", "COM" + std::to_string(valve.comNumber())}).code, ExitDone);

  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> operations;  // the fifth field of each line printed
  };
  const Case cases[] = {
      {{"log"}, {"Reset", "Zapisz"}},
      {{"log", "--serial", "SN-42"}, {"Zapisz"}},
      {{"log", "--serial", "SN-7"}, {"Reset"}},
      {{"log", "--serial", "SN-4"}, {}},
  };
  for (const Case& c : cases) {
    const Result r = RunTool(c.args);
    EXPECT_EQ(r.code, ExitDone) << r.err;
    std::vector<std::string> operations;
    std::istringstream printed(r.out);
    for (const testing::LogLine& line : testing::SplitLogLines(printed)) {
      // A line of an older version has no access level; it is printed as it is.
      ASSERT_EQ(line.size(), line[4] == "Reset" ? 6u : 7u);
      operations.push_back(line[4]);
      // The old PWM word was read before the send, by a person of level 2.
      if (line[4] == "Zapisz") {
        EXPECT_EQ(line[6], "level 2");
        EXPECT_NE(line[5].find("W002 "), std::string::npos) << line[5];
        EXPECT_NE(line[5].find(" -> 000005DC"), std::string::npos) << line[5];
      }
    }
    EXPECT_EQ(operations, c.operations) << c.args.back();
  }

  // No log yet is no error.
  std::filesystem::remove(log);
  const Result none = RunTool({"log"});
  EXPECT_EQ(none.code, ExitDone);
  EXPECT_TRUE(none.out.empty());
}

}  // namespace
}  // namespace tvx::cli
