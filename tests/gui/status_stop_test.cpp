// The stop labels: the code of state register 11 with the critical value of
// register 26 as the valve reports them, and the click on StopInfo that clears
// a SOFT stop.
#include "status_fixture.h"

#include "params/register_map.h"

namespace tvx::apptest {
namespace {

struct StopRow {
  std::uint32_t code;
  float critical;
  bool boardVariant;
  const char* caption;
  const char* info;
};

const StopRow StopRows[] = {
    {4, 3.25f, false, "STOP  4", "Upower = 3,250 V"},
    {5, 1.5f, false, "STOP  5", "Uzas - Upower = 1,500 V"},
    {14, 0.125f, false, "STOP  14", "Uzas - Upower = 0,125 V"},
    {6, 1001.6f, false, "STOP  6", "Uref1 = 1,600 V"},
    {15, 2001.65f, false, "STOP  15", "Uref2 = 1,650 V"},
    {15, 3000.5f, false, "STOP  15", "Uref3 = 0,500 V"},
    {7, 11.52f, false, "STOP  7", "Brak napięcia 11,520 V"},
    {16, -11.9f, false, "STOP  16", "Brak napięcia -11,900 V"},
    {8, 85.04f, false, "STOP  8", "Temperatura 85,0°C"},
    {17, 70.0f, false, "STOP  17", "Temperatura 70,0°C"},
    {9, 4095.0f, false, "STOP  9", "Wynik ADC = 4095"},
    {10, 12.0f, false, "STOP  10", "Wynik ADC = 12"},
    {18, 3900.0f, false, "STOP  18", "Wynik ADC = 3900"},
    {11, 21.5f, false, "STOP  11", "Błąd zakresu 21,500 mA"},
    {11, 3500.0f, true, "STOP  11", "Wynik ADC = 3500"},
    {20, 1000.5f, false, "STOP  20", "Prąd cewki B = 0,500 A"},
    {20, 0.5f, false, "STOP  20", "Prąd cewki A = 0,500 A"},
    {21, 1250.0f, false, "STOP  21", "Czas cyklu = 1250 us"},
    {1, 2.0f, false, "STOP  1", ""},
    {2, 0.0f, false, "STOP  2", ""},
    {3, 0.0f, false, "STOP  3", ""},
    {12, 0.0f, false, "STOP  12", ""},
    {13, 0.0f, false, "STOP  13", ""},
    {19, 0.0f, false, "STOP  19", ""},
    {22, 0.0f, false, "STOP  22", ""},
};

TEST_F(StatusTest, StopCodesWithTheirCriticalValues) {
  for (const StopRow& row : StopRows) {
    model().setStop(row.code, row.critical);
    pgm_->session().valve.BoardVariant = row.boardVariant;
    valve_.clearRequests();
    Refresh();
    const std::string where = std::to_string(row.code) + " " + std::to_string(row.critical);
    EXPECT_EQ(Count(valve_.requests(), "G026"), 1u) << where;
    EXPECT_EQ(From(valve_.requests(), "G011").at(1), "G026") << where;
    EXPECT_EQ(pgm_->session().status.LastStopCode, static_cast<std::int32_t>(row.code)) << where;
    EXPECT_TRUE(Shown(pgm_->StopCodeLabel)) << where;
    EXPECT_TRUE(Shown(pgm_->StopInfo)) << where;
    EXPECT_EQ(pgm_->StopCodeLabel->text(), Utf8(row.caption)) << where;
    EXPECT_EQ(pgm_->StopInfo->text(), Utf8(row.info)) << where;
  }
  pgm_->session().valve.BoardVariant = false;
  EXPECT_TRUE(prompts_->shown().empty());

  // The stop is over: both labels hide, register 26 is not read.
  model().setStop(sim::NoStop, 0);
  valve_.clearRequests();
  Refresh();
  EXPECT_EQ(pgm_->session().status.LastStopCode, -1);
  EXPECT_FALSE(Shown(pgm_->StopCodeLabel));
  EXPECT_FALSE(Shown(pgm_->StopInfo));
  EXPECT_EQ(Count(valve_.requests(), "G026"), 0u);
}

TEST_F(StatusTest, CriticalValueThatIsNoNumberShowsAsText) {
  model().setStop(20, 0.0f);
  model().overrideState(params::state::CriticalValue, 0x7FC00000u);
  Refresh();
  EXPECT_TRUE(prompts_->shown().empty());
  EXPECT_EQ(pgm_->StopInfo->text(), Utf8("Prąd cewki A = NAN A"));
  EXPECT_EQ(valve_.requests().back(), "G043");
}

TEST_F(StatusTest, FailedCriticalValueReadLeavesTheCodeShown) {
  model().setStop(4, 3.25f);
  Refresh();
  ASSERT_EQ(pgm_->StopInfo->text(), Utf8("Upower = 3,250 V"));
  model().setStop(5, 1.0f);
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "G026", 1});
  Refresh();
  EXPECT_EQ(prompts_->messages().size(), 2u);
  EXPECT_EQ(pgm_->StopCodeLabel->text(), Utf8("STOP  5"));
  EXPECT_EQ(pgm_->StopInfo->text(), Utf8("Upower = 3,250 V"));
  EXPECT_EQ(pgm_->session().status.LastStopCode, 5);
  EXPECT_TRUE(pgm_->InfoRefresh->isEnabled());
}

TEST_F(StatusTest, StopInfoClickClearsOnlySoftStops) {
  for (std::uint32_t code : {11u, 12u, 21u}) {
    model().setStop(code, 1.0f);
    Refresh();
    ASSERT_EQ(pgm_->session().status.LastStopCode, static_cast<std::int32_t>(code));
    valve_.clearRequests();
    QTest::mouseClick(pgm_->StopInfo, Qt::LeftButton);
    const Requests r = valve_.requests();
    ASSERT_GE(r.size(), 2u) << code;
    EXPECT_EQ(r[0], "S009=AAAAAAAA") << code;
    EXPECT_EQ(r[1], "R067") << code;
    // The valve cleared it; the refresh shows that.
    EXPECT_EQ(pgm_->session().status.LastStopCode, -1) << code;
    EXPECT_FALSE(Shown(pgm_->StopCodeLabel)) << code;
  }

  for (std::uint32_t code : {13u, 1u, 22u}) {
    model().setStop(code, 1.0f);
    Refresh();
    valve_.clearRequests();
    QTest::mouseClick(pgm_->StopInfo, Qt::LeftButton);
    const Requests r = valve_.requests();
    ASSERT_FALSE(r.empty()) << code;
    EXPECT_EQ(r[0], "R067") << code;
    EXPECT_EQ(Count(r, "S009=AAAAAAAA"), 0u) << code;
    EXPECT_EQ(pgm_->session().status.LastStopCode, static_cast<std::int32_t>(code)) << code;
    EXPECT_TRUE(Shown(pgm_->StopCodeLabel)) << code;
  }
  EXPECT_TRUE(prompts_->shown().empty());
}

}  // namespace
}  // namespace tvx::apptest
