// The valve history from the command line, on both back ends: a day's two
// changes seen the next day against a restarted simulator, compared, and
// undone as an ordinary send, only on their own valve.
#include "cli/command_line.h"
#include "history/history_store.h"
#include "history/postgres_server.h"
#include "params/conversions.h"
#include "params/register_map.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tvx::cli {
namespace {

enum class Backend { Sqlite, Postgres };

class HistoryCommands : public testing::StateFileFolder,
                        public CommandLine,
                        public ::testing::WithParamInterface<Backend> {
 protected:
  HistoryCommands() : CommandLine(StateFileValve()) {}
  void SetUp() override {
    std::string location = (folder_.path() / "history.sqlite").string();
    if (GetParam() == Backend::Postgres) {
      auto* server = testing::PostgresServer::Instance();
      if (!server) GTEST_SKIP() << "PostgreSQL is not installed (scripts/setup.sh --test)";
      location = server->newDatabase().toStdString();
    }
    database_ = std::make_unique<testing::ScopedEnvironment>(history::HistoryVariable, location);
    valve_.model().setSerialNumber("SN-42");
  }
  // A command that needs no valve.
  static Result tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Io io{out, err};
    const int code = cli::Run(args, io);
    return {code, out.str(), err.str()};
  }
  static QJsonArray Json(const Result& r) { return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array(); }
  int sentFrames() {
    int n = 0;
    for (const auto& r : valve_.requests()) n += r[0] == 'W' || r[0] == 'S';
    return n;
  }
  bool wrote(int reg, std::uint32_t word) {
    char frame[16];
    std::snprintf(frame, sizeof frame, "W%03d=%08X", reg, word);
    const auto r = valve_.requests();
    return std::find(r.begin(), r.end(), frame) != r.end();
  }

  std::unique_ptr<testing::ScopedEnvironment> database_;
};

TEST_P(HistoryCommands, TwoChangesAreListedComparedAndUndoneTheNextDayOnlyOnTheirOwnValve) {
  testing::ScopedEnvironment password(PasswordVariable, "technik");  // level 2
  const std::uint32_t pwm = valve_.model().parameter(params::reg::PWM);
  const std::uint32_t kp = valve_.model().parameter(params::reg::PID_P);
  const std::uint32_t newKp = params::FloatToWord(3.25f);
  ASSERT_NE(kp, newKp);
  // Day one: read, change two values, store; the simulator stops.
  ASSERT_EQ(run({"info"}).code, ExitDone);
  const Result written = run({"write", file("set.json", R"({"parameters": {"PWM": 1500, "PID_P": 3.25}})"), "--store"});
  ASSERT_EQ(written.code, ExitDone) << written.err;
  valve_.restart();
  ASSERT_EQ(valve_.model().parameter(params::reg::PWM), 1500u) << "the store did not reach the state file";

  // Day two: both changes listed in the store's record, newest first.
  const Result listed = tool({"history", "--serial", "SN-42"});
  ASSERT_EQ(listed.code, ExitDone) << listed.err;
  EXPECT_NE(listed.out.find("Zapisz: Częstotliwość PWM (PWM) [Hz] " + std::to_string(pwm) + " -> 1500; "),
            std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("-> 3,250"), std::string::npos) << listed.out;
  const QJsonArray records = Json(tool({"history", "--serial", "SN-42", "--json"}));
  ASSERT_GE(records.size(), 2);
  const std::string stored = std::to_string(records[0].toObject()["record"].toInteger());
  const std::string read = std::to_string(records[records.size() - 1].toObject()["record"].toInteger());
  EXPECT_EQ(records[0].toObject()["operation"].toString(), QStringLiteral("Zapisz"));

  const Result diff = tool({"diff", read, stored});
  EXPECT_EQ(diff.code, ExitDone) << diff.err;
  EXPECT_NE(diff.out.find("(PWM) [Hz]"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("3.250"), std::string::npos) << diff.out;
  const Result diffJson = tool({"diff", read, stored, "--json"});
  const QJsonArray rows =
      QJsonDocument::fromJson(QByteArray::fromStdString(diffJson.out)).object()["differences"].toArray();
  ASSERT_EQ(rows.size(), 2) << diffJson.out;
  EXPECT_EQ(rows[0].toObject()["register"].toInt(), params::reg::PWM);
  EXPECT_EQ(rows[1].toObject()["register"].toInt(), params::reg::PID_P);
  EXPECT_EQ(rows[0].toObject()["b"].toString(), QStringLiteral("1500"));

  // A record without parameter words (a load of the profiles) cannot be sent back.
  ASSERT_EQ(run({"read", "--cfg", (folder_.path() / "banks.cfg").string()}).code, ExitDone);
  ASSERT_EQ(run({"load", "--cfg", (folder_.path() / "banks.cfg").string()}).code, ExitDone);
  const QJsonObject loaded = Json(tool({"history", "--serial", "SN-42", "--json"}))[0].toObject();
  EXPECT_TRUE(loaded["banks"].toBool());
  EXPECT_EQ(loaded["changes"].toString(), QString());
  const std::string load = std::to_string(loaded["record"].toInteger());

  struct Case {
    const char* what;
    std::vector<std::string> args;
    const char* password;
    const char* serial;  // the valve connected
    int code;
    const char* said;
  };
  const Case cases[] = {
      {"no record", {"restore", "99"}, "technik", "SN-42", ExitFileError, "no record 99"},
      {"no words", {"restore", load}, "technik", "SN-42", ExitFileError, "holds no parameter words"},
      {"below level 2", {"restore", read}, "serwis", "SN-42", ExitRefused, "level 2"},
      {"another valve", {"restore", read, "--store"}, "technik", "SN-7", ExitRefused, "--other-valve"},
      {"another valve, asked for", {"restore", read, "--other-valve"}, "technik", "SN-7", ExitDone, "sent"},
      {"its own valve", {"restore", read, "--store"}, "technik", "SN-42", ExitDone, "stored"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::ScopedEnvironment level(PasswordVariable, c.password);
    valve_.model().setSerialNumber(c.serial);
    valve_.model().setParameter(params::reg::PWM, 1500);
    valve_.model().setParameter(params::reg::PID_P, newKp);
    valve_.clearRequests();
    const Result r = run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE((r.out + r.err).find(c.said), std::string::npos) << r.out << r.err;
    const bool sends = c.code == ExitDone;
    EXPECT_EQ(sentFrames() > 0, sends);
    EXPECT_EQ(wrote(params::reg::PWM, pwm) && wrote(params::reg::PID_P, kp), sends);
    EXPECT_EQ(valve_.model().parameter(params::reg::PWM), sends ? pwm : 1500u);
    EXPECT_EQ(valve_.model().parameter(params::reg::PID_P), sends ? kp : newKp);
  }
  EXPECT_EQ(valve_.requests().back().substr(0, 4), "S999");
  valve_.restart();
  EXPECT_EQ(valve_.model().parameter(params::reg::PWM), pwm);
  EXPECT_EQ(valve_.model().parameter(params::reg::PID_P), kp);
  const Result after = tool({"history", "--serial", "SN-42"});
  EXPECT_NE(after.out.find("Przywróć zapis " + read + " (Zapisz): Częstotliwość PWM (PWM) [Hz] 1500 -> " +
                           std::to_string(pwm)),
            std::string::npos)
      << after.out;
  EXPECT_EQ(run({"diff", read, "valve"}).out.find("PWM"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryCommands,
                         ::testing::Values(HistoryCommands::ParamType{Backend::Sqlite}, Backend::Postgres),
                         [](const auto& p) { return p.param == Backend::Sqlite ? "Sqlite" : "Postgres"; });

// A history file that is no database: the tool says so once and the valve's
// work is done all the same; the file is left as it was.
class BrokenHistory : public CommandLine {};

TEST_F(BrokenHistory, OneWarningAndTheWriteIsDone) {
  const std::string notes = file("notes.sqlite", std::string(4096, 'x'));
  const testing::ScopedEnvironment history(history::HistoryVariable, notes);
  const testing::ScopedEnvironment password(PasswordVariable, "technik");
  const Result r = run({"write", file("set.json", R"({"parameters": {"PWM": 1500}})"), "--store"});
  EXPECT_EQ(r.code, ExitDone) << r.err;
  EXPECT_EQ(valve_.model().parameter(params::reg::PWM), 1500u);
  std::istringstream lines(r.err);
  int warnings = 0;
  for (std::string line; std::getline(lines, line);) warnings += line.find("notes.sqlite") != std::string::npos;
  EXPECT_EQ(warnings, 1) << r.err;
  std::ifstream kept(notes, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), std::string(4096, 'x'));
}

}  // namespace
}  // namespace tvx::cli
