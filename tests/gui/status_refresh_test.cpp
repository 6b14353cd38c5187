// The status refresh on the window, against the simulated valve: the texts
// and colours it puts on the "Pomiary" tab, the button around a failure, and
// the resets' wiring. The order of the requests is tested below the window.
#include "status_fixture.h"

#include "link/comm_error.h"
#include "link/exchanges.h"
#include "params/register_map.h"

#include <QLineEdit>
#include <QSlider>
#include <QTimer>

namespace tvx::apptest {
namespace {

namespace state = params::state;

TEST_F(StatusTest, ValuesWithTheirUnitsInTheSystemFormat) {
  Float(state::Usupply, 24.126f);
  Float(state::Upower, 23.5f);
  Float(state::Temperature, 41.26f);
  Float(state::IavgA, 0.8125f);
  Float(state::IavgB, 0.0f);
  Float(state::Lvdt, -2.5f);
  Float(state::UsupplyMax, 26.004f);
  Float(state::In2Value, 7.25f);
  Float(state::LvdtPid, 1.0f);
  model().overrideState(state::PeakA, 4096);
  model().overrideState(state::PeakB, 0);
  model().overrideState(state::DAC_Value, 1234);
  model().overrideState(state::DiagnosticMax, 850);
  pgm_->SetLvdtFitted(true);
  pgm_->SetVoltageInput(true);
  Refresh();
  EXPECT_EQ(pgm_->Info_Usupply->text(), Utf8("24,13 V"));
  EXPECT_EQ(pgm_->Info_Upower->text(), Utf8("23,50 V"));
  EXPECT_EQ(pgm_->Info_Temp->text(), Utf8("41,3 °C"));
  EXPECT_EQ(pgm_->Info_Coil_A_Iavg->text(), Utf8("0,813 A"));
  EXPECT_EQ(pgm_->Info_Coil_B_Iavg->text(), Utf8("0,000 A"));
  EXPECT_EQ(pgm_->Info_Lvdt->text(), Utf8("-2,500 V"));
  EXPECT_EQ(pgm_->Info_Usupply_Max->text(), Utf8("26,00 V"));
  EXPECT_EQ(pgm_->Info_IN2_Value->text(), Utf8("7,250 V"));
  EXPECT_EQ(pgm_->Info_Lvdt_PID->text(), Utf8("1,000 V"));
  EXPECT_EQ(pgm_->Coil_A_Peak->text(), Utf8("3,300 A"));
  EXPECT_EQ(pgm_->Coil_B_Peak->text(), Utf8("0,000 A"));
  EXPECT_EQ(pgm_->DAC_Value->text(), Utf8("1234"));
  EXPECT_EQ(pgm_->session().status.DiagnosticMax, 850u);
  EXPECT_EQ(pgm_->Coil_A_Set_Type->text(), Utf8("Lset A"));
  EXPECT_EQ(pgm_->Coil_B_Set_Type->text(), Utf8("Lset B"));
  EXPECT_TRUE(pgm_->Coil_A_Set->text().endsWith(Utf8(" V")));
  // The caption is not cut: "Lset" is wider than the design's "Iset".
  EXPECT_GE(pgm_->Coil_A_Set_Type->width(), pgm_->Coil_A_Set_Type->sizeHint().width());
  EXPECT_GE(pgm_->Coil_B_Set_Type->width(), pgm_->Coil_B_Set_Type->sizeHint().width());

  // Current input: the second input in mA.
  pgm_->SetVoltageInput(false);
  Refresh();
  EXPECT_EQ(pgm_->Info_IN2_Value->text(), Utf8("7,250 mA"));
}

TEST_F(StatusTest, WithoutLvdtPositionsShowDashesAndTheCoilsTheirSetCurrents) {
  Float(state::Lvdt, 3.0f);
  Float(state::LvdtPid, 3.0f);
  Float(state::SetCoilA, 0.75f);
  Float(state::SetCoilB, 0.0f);
  pgm_->SetLvdtFitted(false);
  Refresh();
  EXPECT_EQ(pgm_->Info_Lvdt->text(), Utf8("--- V"));
  EXPECT_EQ(pgm_->Info_Lvdt_PID->text(), Utf8("--- V"));
  EXPECT_EQ(pgm_->Coil_A_Set_Type->text(), Utf8("Iset A"));
  EXPECT_EQ(pgm_->Coil_B_Set_Type->text(), Utf8("Iset B"));
  EXPECT_EQ(pgm_->Coil_A_Set->text(), Utf8("0,750 A"));
  EXPECT_EQ(pgm_->Coil_B_Set->text(), Utf8("0,000 A"));
}

TEST_F(StatusTest, SecondInputDashesOnTheBoardVariantWithoutIt) {
  Float(state::In2Value, 5.0f);
  pgm_->SetVoltageInput(false);
  pgm_->session().valve.BoardVariant = true;
  pgm_->session().valve.In2Present = false;
  Refresh();
  EXPECT_EQ(pgm_->Info_IN2_Value->text(), Utf8("--- mA"));
  pgm_->session().valve.In2Present = true;
  Refresh();
  EXPECT_EQ(pgm_->Info_IN2_Value->text(), Utf8("5,000 mA"));
  pgm_->session().valve.BoardVariant = false;
}

TEST_F(StatusTest, TemperatureColourFollowsTheLimit) {
  const QColor red(Qt::red);
  // Bit 15 clear: the limit is 999, and 999 itself is red.
  model().setParameter(params::reg::ErrorMask, 0x3FFF);
  model().setParameter(params::reg::TemperatureWarning, 50);
  Float(state::Temperature, 999.0f);
  Refresh();
  EXPECT_EQ(pgm_->session().status.TemperatureLimit, 999);
  EXPECT_EQ(pgm_->Info_Temp->fontColor(), red);
  Float(state::Temperature, 998.9f);
  Refresh();
  EXPECT_NE(pgm_->Info_Temp->fontColor(), red);

  // Bit 15 set: parameter 115 is the limit.
  model().setParameter(params::reg::ErrorMask, 0x8000);
  model().setParameter(params::reg::TemperatureWarning, 80);
  Float(state::Temperature, 80.0f);
  Refresh();
  EXPECT_EQ(pgm_->session().status.TemperatureLimit, 80);
  EXPECT_EQ(pgm_->Info_Temp->text(), Utf8("80,0 °C"));
  EXPECT_EQ(pgm_->Info_Temp->fontColor(), red);
  Float(state::Temperature, 79.9f);
  Refresh();
  EXPECT_EQ(pgm_->Info_Temp->text(), Utf8("79,9 °C"));
  EXPECT_EQ(pgm_->Info_Temp->fontColor(), QApplication::palette().color(QPalette::WindowText));
}

TEST_F(StatusTest, RecordedMaximumTemperatureHint) {
  Float(state::TemperatureMax, -100.0f);
  Refresh();
  EXPECT_EQ(pgm_->Info_Temp->toolTip(), Utf8(" Nie zarejestrowano przekroczenia progu dopuszczalnej temperatury "));
  Float(state::TemperatureMax, -99.0f);
  Refresh();
  EXPECT_EQ(pgm_->Info_Temp->toolTip(), Utf8(" Maksymalna zarejestrowana temperatura: -99,0 °C "));
  Float(state::TemperatureMax, 72.44f);
  Refresh();
  EXPECT_EQ(pgm_->Info_Temp->toolTip(), Utf8(" Maksymalna zarejestrowana temperatura: 72,4 °C "));
}

TEST_F(StatusTest, SetValueOnTheBarAndItsLabel) {
  Float(state::SetValue, 2.57f);
  Refresh();
  EXPECT_EQ(pgm_->Set_Bar->value(), 25);
  EXPECT_EQ(pgm_->Set_Val->text(), Utf8("2,570"));
  Float(state::SetValue, -2.57f);
  Refresh();
  EXPECT_EQ(pgm_->Set_Bar->value(), -26);
  EXPECT_EQ(pgm_->Set_Val->text(), Utf8("-2,570"));
}

TEST_F(StatusTest, NotANumberShowsAsTextAndTheRefreshGoesOn) {
  valve_.model().overrideState(state::Usupply, 0x7FC00000u);
  valve_.model().overrideState(state::IavgA, 0x7F800000u);
  // A set value that gives no bar position puts the bar at 0.
  Float(state::SetValue, 5.0f);
  Refresh();
  ASSERT_EQ(pgm_->Set_Bar->value(), 50);
  valve_.model().overrideState(state::SetValue, 0xFFC00000u);
  Float(state::Upower, 12.5f);
  Refresh();
  EXPECT_TRUE(prompts_->shown().empty());
  EXPECT_EQ(pgm_->Set_Bar->value(), 0);
  EXPECT_EQ(pgm_->Info_Usupply->text(), Utf8("NAN V"));
  EXPECT_EQ(pgm_->Info_Coil_A_Iavg->text(), Utf8("INF A"));
  EXPECT_EQ(pgm_->Info_Upower->text(), Utf8("12,50 V"));
  EXPECT_EQ(valve_.requests().back(), "G043");
}

TEST_F(StatusTest, FailedExchangeReEnablesTheButton) {
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "G013", 1});
  Refresh();
  const auto shown = prompts_->messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, QString::fromStdString(link::CommErrorText(link::ReadRegisterCode)));
  EXPECT_EQ(shown[1].text, Utf8("USB error."));
  EXPECT_EQ(valve_.requests().back(), "G013");
  EXPECT_TRUE(pgm_->InfoRefresh->isEnabled());
  EXPECT_FALSE(pgm_->session().status.RefreshBusy);
  // The next refresh works again.
  prompts_->clear();
  Refresh();
  EXPECT_TRUE(prompts_->shown().empty());
}

TEST_F(StatusTest, ResetsSendTheirCommandThenRefresh) {
  struct Case {
    QWidget* control;
    const char* command;
  };
  const Case cases[] = {{pgm_->Reset_Temp_Max, "S992=5555AAAA"},
                        {pgm_->Reset_Usupply_Max, "S996=5555AAAA"},
                        {pgm_->Coil_A_Peak, "S993=5555AAAA"},
                        {pgm_->Coil_B_Peak, "S993=AAAA5555"}};
  for (const Case& c : cases) {
    valve_.clearRequests();
    QTest::mouseClick(c.control, Qt::LeftButton);
    const Requests r = valve_.requests();
    ASSERT_GE(r.size(), 2u) << c.command;
    EXPECT_EQ(r[0], c.command);
    EXPECT_EQ(r[1], "R067") << c.command;
    EXPECT_EQ(r.back(), "G043") << c.command;
  }
  EXPECT_TRUE(prompts_->shown().empty());

  // The peak label reads "0.000 A" at once, while the command is still on its way.
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Delay, 60, "S993", 1});
  QString during;
  QTimer::singleShot(20, pgm_.get(), [&] { during = pgm_->Coil_B_Peak->text(); });
  QTest::mouseClick(pgm_->Coil_B_Peak, Qt::LeftButton);
  EXPECT_EQ(during, Utf8("0.000 A"));
  EXPECT_TRUE(prompts_->shown().empty());
  // A right click resets nothing.
  valve_.clearRequests();
  QTest::mouseClick(pgm_->Coil_A_Peak, Qt::RightButton);
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(StatusTest, ResetsClearTheValvesMemories) {
  model().setState(state::PeakA, 4000);
  model().setState(state::PeakB, 3000);
  model().setStateFloat(state::UsupplyMax, 31.5f);
  model().setStateFloat(state::TemperatureMax, 88.0f);
  Refresh();
  EXPECT_EQ(pgm_->Info_Usupply_Max->text(), Utf8("31,50 V"));
  QTest::mouseClick(pgm_->Reset_Usupply_Max, Qt::LeftButton);
  EXPECT_LT(model().peekStateFloat(state::UsupplyMax), 31.0f);
  EXPECT_NE(pgm_->Info_Usupply_Max->text(), Utf8("31,50 V"));
  QTest::mouseClick(pgm_->Reset_Temp_Max, Qt::LeftButton);
  EXPECT_EQ(pgm_->Info_Temp->toolTip(), Utf8(" Nie zarejestrowano przekroczenia progu dopuszczalnej temperatury "));
  QTest::mouseClick(pgm_->Coil_A_Peak, Qt::LeftButton);
  EXPECT_LT(model().peekState(state::PeakA), 4000u);
  EXPECT_EQ(model().peekState(state::PeakB), 3000u);
  QTest::mouseClick(pgm_->Coil_B_Peak, Qt::LeftButton);
  EXPECT_LT(model().peekState(state::PeakB), 3000u);
}

}  // namespace
}  // namespace tvx::apptest
