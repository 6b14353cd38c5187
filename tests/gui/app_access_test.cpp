// The access tags applied to the main window and the options dialog.
#include "app_main_window_fixture.h"

#include "service/options_form.h"
#include "ui/widgets.h"

#include <QGroupBox>
#include <QSlider>
#include <QTabWidget>

namespace tvx::apptest {
namespace {

class AccessTest : public ::testing::Test {
 protected:
  IsolatedPorts ports_;
  // The options dialog reads the PWM maximum when it becomes active; without
  // a valve that read fails and is reported here.
  testing::ScopedScriptedPrompts prompts_;
};

TEST_F(AccessTest, LevelZeroWithThePortClosed) {
  auto pgm = MainWindowAt(0);
  EXPECT_TRUE(Shown(pgm->ReadParameters));
  EXPECT_FALSE(pgm->ReadParameters->isEnabled());
  EXPECT_FALSE(Shown(pgm->Parameters));
  EXPECT_TRUE(Shown(pgm->USABImage));  // the picture shows where the group is hidden
  // On "Serwis" only the ramp button, greyed, and its label remain.
  QStringList shown;
  for (QWidget* w : pgm->TabSheet2->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (Shown(w)) shown << w->objectName();
  shown.sort();
  EXPECT_EQ(shown, QStringList({QStringLiteral("Label2"), QStringLiteral("RampSetup")}));
  EXPECT_FALSE(pgm->RampSetup->isEnabled());
  EXPECT_EQ(pgm->Options->indexOf(pgm->TabSheet2), 1);
  // The valve group is shown but usable only from level 2; the profile panel from 1.
  EXPECT_TRUE(Shown(pgm->DeviceType));
  EXPECT_FALSE(pgm->DeviceType->isEnabled());
  EXPECT_FALSE(pgm->BankPanel->isEnabled());
  EXPECT_TRUE(Shown(pgm->DisConnect));
  EXPECT_TRUE(pgm->DisConnect->isEnabled());
  EXPECT_FALSE(Shown(pgm->DebugPanel));
  EXPECT_FALSE(Shown(pgm->EnableBreakpoint));
}

TEST_F(AccessTest, LevelTwoWithATwoPositionValve) {
  auto pgm = MainWindowAt(2);
  ASSERT_FALSE(pgm->ThreePositions());
  EXPECT_FALSE(Shown(pgm->Coil_B_Imin));  // bit 0
  EXPECT_TRUE(Shown(pgm->Coil_B_Set));    // bit 1
  EXPECT_FALSE(pgm->Coil_B_Set->isEnabled());
  EXPECT_TRUE(Shown(pgm->Solenoid_B_GBox));
  pgm->SetThreePositions(true);
  pgm->ApplyAccessRules();
  EXPECT_TRUE(Shown(pgm->Coil_B_Imin));
  EXPECT_TRUE(pgm->Coil_B_Set->isEnabled());
  EXPECT_TRUE(pgm->ThreePositions());
  // The state lives in bit 6 of the label's tag and leaves the access bits alone.
  EXPECT_EQ(pgm->components().tag(QStringLiteral("Positions_3")), 0x0040);
}

TEST_F(AccessTest, LvdtSelectsTheUsableGainField) {
  auto pgm = MainWindowAt(1);
  pgm->SetLvdtFitted(true);
  pgm->ApplyAccessRules();
  EXPECT_FALSE(pgm->Coil_A_GainI->isEnabled());
  EXPECT_TRUE(pgm->Coil_A_GainL->isEnabled());
  pgm->SetLvdtFitted(false);
  pgm->ApplyAccessRules();
  EXPECT_TRUE(pgm->Coil_A_GainI->isEnabled());
  EXPECT_FALSE(pgm->Coil_A_GainL->isEnabled());
}

TEST_F(AccessTest, UnmanagedControlsKeepWhatOthersGaveThem) {
  auto pgm = MainWindowAt(0);
  pgm->StopCodeLabel->setVisible(true);
  pgm->Set_Val->setEnabled(false);
  pgm->Set_Bar->setVisible(false);
  for (int level : {0, 4}) {
    app::AccessLevel = level;
    pgm->ApplyAccessRules();
    EXPECT_TRUE(Shown(pgm->StopCodeLabel));
    EXPECT_FALSE(pgm->Set_Val->isEnabled());
    EXPECT_FALSE(Shown(pgm->Set_Bar));
  }
  pgm->Bottom->setEnabled(false);
  pgm->ApplyAccessRules();
  EXPECT_FALSE(pgm->Bottom->isEnabled());
}

TEST_F(AccessTest, SendSetValueNeedsTheConnectionAndRemoteControl) {
  testing::SimulatedValve valve;
  auto pgm = MainWindowAt(1);
  {
    // Only the box's state matters here; its reaction would talk to the valve.
    const QSignalBlocker blocker(pgm->RemoteControl);
    pgm->RemoteControl->setChecked(true);
  }
  pgm->ApplyAccessRules();
  EXPECT_FALSE(pgm->SendSetValue->isEnabled());  // port closed
  ClickDisConnect(*pgm);
  ASSERT_TRUE(pgm->port().PortOpen.load());
  EXPECT_TRUE(pgm->SendSetValue->isEnabled());
  pgm->RemoteControl->setChecked(false);
  pgm->ApplyAccessRules();
  EXPECT_FALSE(pgm->SendSetValue->isEnabled());
  ClickDisConnect(*pgm);
}

TEST_F(AccessTest, OptionsDialogAppliesItsTagsWhenActive) {
  auto pgm = MainWindowAt(2);
  service::TOptionsForm options(pgm->port(), pgm.get());
  options.show();
  options.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&options));
  EXPECT_TRUE(Shown(options.Enable_PID2));
  EXPECT_TRUE(Shown(options.SetValDacMode));
  EXPECT_FALSE(options.SetValDacMode->isEnabled());  // usable from level 3
  EXPECT_TRUE(options.Device_Type->isEnabled());
  options.close();

  app::AccessLevel = 1;
  options.show();
  options.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&options));
  EXPECT_FALSE(Shown(options.Enable_PID2));
  EXPECT_TRUE(Shown(options.Dither_Mode));
  EXPECT_TRUE(Shown(options.Dither_Ampl));
  EXPECT_FALSE(Shown(options.Ramp_Start_Delay));
  EXPECT_TRUE(Shown(options.Serial_Number));
  EXPECT_FALSE(options.Serial_Number->isEnabled());
  EXPECT_TRUE(Shown(options.SendConfig));
  options.close();
}

}  // namespace
}  // namespace tvx::apptest
