// The commissioning report's read-out against the simulated valve: what it
// asks the valve, what it shows at which access level, and that it leaves the
// program's own values as they were.
#include "app/access_tags.h"
#include "report/report_content.h"
#include "status/status_text.h"
#include "support/recording_view.h"
#include "support/valve_link_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tvx::report {
namespace {

class ReportContentTest : public testing::ValveLinkTest {
 protected:
  static const Entry* Find(const std::vector<Entry>& entries, const std::string& name) {
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.name == name; });
    return it == entries.end() ? nullptr : &*it;
  }
  static std::vector<std::string> Titles(const ReportContent& r) {
    std::vector<std::string> titles;
    for (const Section& s : r.parameters) titles.push_back(s.title);
    return titles;
  }
  testing::ScriptedQuestions questions_;
};

TEST_F(ReportContentTest, ReadsSetStatusAndRecordingWithoutWriting) {
  valve_.model().setStop(20, 1000.5f);

  const ReportContent r = ReadReport(port(), app::ShownAtLevel(4), ',', questions_);

  const std::vector<std::string> log = valve_.requests();
  EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const std::string& q) { return q[0] == 'W'; }));
  // The set, the refresh, the chart's opening, then the recording to its end.
  const auto refresh = std::find(log.begin(), log.end(), "R067");
  const auto readout = std::find(log.begin(), log.end(), "S011=00000000");
  ASSERT_NE(refresh, log.end());
  ASSERT_NE(readout, log.end());
  EXPECT_LT(refresh, readout);
  EXPECT_EQ(std::count(readout, log.end(), "G010"), 100);
  EXPECT_TRUE(r.trace.read);
  EXPECT_EQ(r.trace.drawn, 500);

  EXPECT_EQ(r.serialNumber, valve_.model().serialNumber());
  EXPECT_EQ(r.deviceType, valve_.model().deviceType());
  ASSERT_TRUE(r.stop.has_value());
  EXPECT_EQ(r.stop->code, 20u);
  EXPECT_EQ(r.stop->words, status::StopCodeText(20));
  EXPECT_FALSE(r.stop->info.empty());
  const Entry* supply = Find(r.status, "Napięcie zasilania (Uzas)");
  ASSERT_NE(supply, nullptr);
  EXPECT_EQ(supply->unit, "V");
  EXPECT_TRUE(questions_.asked.empty());
  EXPECT_TRUE(reports_.empty());
}

TEST_F(ReportContentTest, ListsTheItemsShownAtTheReadersLevel) {
  struct Case {
    int level;
    std::vector<std::string> sections;
  } cases[] = {
      {1, {"Parametry pracy", "Regulator", "Elektromagnes A", "Elektromagnes B", "Opcje"}},
      {2, {"Parametry pracy", "Regulator", "Elektromagnes A", "Elektromagnes B", "Korekty i kalibracja", "Opcje"}},
      {3,
       {"Parametry pracy", "Regulator", "Elektromagnes A", "Elektromagnes B", "Korekty i kalibracja", "Opcje",
        "Ustawienia serwisowe"}},
  };
  valve_.model().setParameter(2, 1500);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    const ReportContent r = ReadReport(port(), app::ShownAtLevel(c.level), ',', questions_);
    EXPECT_EQ(Titles(r), c.sections);
    const Entry* pwm = Find(r.parameters.front().entries, "Częstotliwość PWM (PWM)");
    ASSERT_NE(pwm, nullptr);
    EXPECT_EQ(pwm->value, "1500");
    EXPECT_EQ(pwm->unit, "Hz");
  }
}

TEST_F(ReportContentTest, SaysWhetherTheWorkingSetIsTheStoredProfile) {
  struct Case {
    const char* what;
    std::function<void(sim::ValveModel&)> change;
    bool compared;
    std::vector<std::string> differences;
  } cases[] = {
      {"stored", [](sim::ValveModel&) {}, true, {}},
      // "Prześlij" without "Zapisz": the working set alone changed.
      {"sent, not stored",
       [](sim::ValveModel& m) {
         m.setParameter(2, 1500);
         m.setParameterFloat(4, 1.25f);
       },
       true,
       {"Parametry pracy: Częstotliwość PWM (PWM)=1500 (w profilu: 2000)",
        "Elektromagnes A: Prąd maksymalny Imax=1,250 (w profilu: 1,600)"}},
      {"factory profile", [](sim::ValveModel& m) { m.setState(29, 10); }, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    valve_.model().command(995, 0xAA55AA00u);  // profile 1: its stored data into working memory
    c.change(valve_.model());
    valve_.clearRequests();
    const ReportContent r = ReadReport(port(), app::ShownAtLevel(4), ',', questions_);
    const Requests log = requests();
    EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const std::string& q) { return q[0] == 'W'; }));
    EXPECT_EQ(std::count(log.begin(), log.end(), "S991=AA550200"), c.compared ? 1 : 0);
    EXPECT_EQ(r.storage.compared, c.compared);
    std::vector<std::string> differences;
    for (const Entry& e : r.storage.differences) differences.push_back(e.name + "=" + e.value);
    EXPECT_EQ(differences, c.differences);
    EXPECT_EQ(r.storage.summary.starts_with("Ustawienia robocze są zgodne z profilem nr 1 "),
              c.compared && c.differences.empty())
        << r.storage.summary;
    EXPECT_EQ(r.storage.summary.starts_with("Ustawienia robocze różnią się"), !c.differences.empty());
  }
}

}  // namespace
}  // namespace tvx::report
