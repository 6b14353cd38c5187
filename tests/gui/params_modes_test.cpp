// The valve modes and what they change on the main window, and the checks of
// the parameter fields while they are edited. None of this talks to the valve.
#include "params_fixture.h"

#include "ui/widgets.h"

#include <QAction>
#include <QFontMetrics>
#include <QSlider>

namespace tvx::apptest {
namespace {

class ModesTest : public ::testing::Test {
 protected:
  void Make(int level) {
    // One main window at a time: it owns the link's Receiver thread.
    options_.reset();
    pgm_.reset();
    pgm_ = MainWindowAt(level);
    options_ = std::make_unique<service::TOptionsForm>(pgm_->port(), pgm_.get());
  }
  // Sets the three modes as a read does, the window only redrawing them.
  void SetModes(bool positions3, bool voltage, bool lvdt) {
    pgm_->SetThreePositions(positions3);
    pgm_->Positions_3Click(pgm_.get());
    pgm_->SetVoltageInput(voltage);
    pgm_->Voltage_ModeClick(pgm_.get());
    pgm_->SetLvdtFitted(lvdt);
    pgm_->LVDTClick(pgm_.get());
  }
  void Type(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
  }

  ScopedLocale locale_{QLocale(QLocale::Polish, QLocale::Poland)};
  IsolatedPorts ports_;
  testing::ScopedScriptedPrompts prompts_;
  std::unique_ptr<app::TPgm> pgm_;
  std::unique_ptr<service::TOptionsForm> options_;
};

TEST_F(ModesTest, OnlyTheModesOwnLabelTogglesIt) {
  Make(2);
  EXPECT_EQ(pgm_->Positions_3->text(), QString::fromUtf8("- liczba elektromagnesów"));
  QTest::mouseClick(pgm_->Positions_3, Qt::LeftButton);
  EXPECT_TRUE(pgm_->ThreePositions());
  EXPECT_EQ(pgm_->Positions_3->text(), QString::fromUtf8("• 3-położeniowy"));
  EXPECT_TRUE(Shown(pgm_->Coil_B_Imin));  // the access rules follow
  // The valve-type label only redraws the mode.
  QTest::mouseClick(pgm_->Device_Type, Qt::LeftButton);
  EXPECT_TRUE(pgm_->ThreePositions());
  QTest::mouseClick(pgm_->Voltage_Mode, Qt::LeftButton);
  EXPECT_TRUE(pgm_->VoltageInput());
  QTest::mouseClick(pgm_->LVDT_Mode, Qt::LeftButton);
  EXPECT_TRUE(pgm_->LvdtFitted());
  EXPECT_EQ(pgm_->LVDT_Mode->fontColor(), QColor(Qt::blue));
  EXPECT_EQ(pgm_->LVDT_CrossWire->palette().color(QPalette::WindowText), QColor(Qt::blue));
  QTest::mouseClick(pgm_->LVDT_Mode, Qt::LeftButton);
  EXPECT_NE(pgm_->LVDT_Mode->fontColor(), QColor(Qt::blue));
  // Below level 2 the group is not usable: a click changes nothing.
  Make(1);
  QTest::mouseClick(pgm_->Positions_3, Qt::LeftButton);
  EXPECT_FALSE(pgm_->ThreePositions());
}

TEST_F(ModesTest, InputModeSetsScaleUnitsAndSecondInput) {
  Make(2);
  SetModes(true, true, false);
  EXPECT_EQ(pgm_->Set_Low->text(), QStringLiteral("-10"));
  EXPECT_EQ(pgm_->Set_Mid->text(), QStringLiteral(" 0"));
  EXPECT_EQ(pgm_->Set_Bar->minimum(), -100);
  EXPECT_EQ(pgm_->Set_Bar->maximum(), 100);
  EXPECT_EQ(pgm_->Gain_A_Label_I->text(), QStringLiteral("[mA/V]"));
  EXPECT_EQ(pgm_->Gain_B_Label_L->text(), QStringLiteral("[V/V]"));
  EXPECT_EQ(pgm_->IN2_Type_Label->text(), QStringLiteral("We2 0-10"));
  EXPECT_EQ(pgm_->Info_IN2_Value->x(), 75);
  pgm_->Set_Bar->setValue(0);
  pgm_->Info_IN2_Value->setText(QStringLiteral("5,000 V"));

  SetModes(true, false, false);
  EXPECT_EQ(pgm_->Set_Low->text(), QStringLiteral(" 4"));
  EXPECT_EQ(pgm_->Set_Mid->text(), QStringLiteral("12"));
  EXPECT_EQ(pgm_->Set_Hi->text(), QStringLiteral("20"));
  EXPECT_EQ(pgm_->Set_Bar->minimum(), 40);
  EXPECT_EQ(pgm_->Set_Bar->maximum(), 200);
  EXPECT_EQ(pgm_->Set_Bar->value(), 40);  // 0 moved into the range
  EXPECT_EQ(pgm_->Set_Val->text(), QStringLiteral("4,000"));
  EXPECT_EQ(pgm_->Gain_B_Label_I->text(), QStringLiteral("[mA/mA]"));
  EXPECT_EQ(pgm_->Gain_A_Label_L->text(), QStringLiteral("[V/mA]"));
  EXPECT_EQ(pgm_->IN2_Type_Label->text(), QStringLiteral("We2 4-20"));
  const QFontMetrics metrics(pgm_->font());
  EXPECT_EQ(pgm_->Info_IN2_Value->x(),
            75 + metrics.horizontalAdvance(QStringLiteral("mA")) - metrics.horizontalAdvance(QStringLiteral("V")));
  EXPECT_EQ(pgm_->Info_IN2_Value->text(), QStringLiteral("5,000 mA"));
  EXPECT_FALSE(pgm_->AutoMode->isEnabled());

  // Two positions, voltage: 0 to 10 V.
  pgm_->Set_Bar->setValue(200);
  SetModes(false, true, false);
  EXPECT_EQ(pgm_->Set_Low->text(), QStringLiteral(" 0"));
  EXPECT_EQ(pgm_->Set_Mid->text(), QString());
  EXPECT_EQ(pgm_->Set_Bar->value(), 100);
  EXPECT_EQ(pgm_->Set_Val->text(), QStringLiteral("10,000"));
  EXPECT_EQ(pgm_->Info_IN2_Value->text(), QStringLiteral("5,000 V"));
}

TEST_F(ModesTest, MonitorRangeCaptionsEndFlushRight) {
  Make(2);
  const QFontMetrics metrics(pgm_->font());
  for (bool voltage : {true, false}) {
    SetModes(true, voltage, false);
    const QString top = pgm_->Top->text();
    EXPECT_EQ(top, voltage ? QStringLiteral("+10V") : QStringLiteral("20mA"));
    EXPECT_EQ(pgm_->Bottom->text().trimmed(), voltage ? QStringLiteral("-10V") : QStringLiteral("4mA"));
    EXPECT_EQ(pgm_->Zero->text().trimmed(), voltage ? QStringLiteral("0V") : QStringLiteral("12mA"));
    for (QAction* item : {pgm_->Bottom, pgm_->Zero}) {
      // Padded up to the width of the third caption, not beyond.
      EXPECT_GE(metrics.horizontalAdvance(item->text()), metrics.horizontalAdvance(top));
      if (item->text().startsWith(QLatin1Char(' '))) {
        EXPECT_LT(metrics.horizontalAdvance(item->text().mid(1)), metrics.horizontalAdvance(top));
      }
    }
  }
}

TEST_F(ModesTest, CrossWireOnlyForTwoPositionsWithLvdt) {
  Make(3);
  SetModes(false, true, true);
  EXPECT_TRUE(pgm_->LVDT_CrossWire->isEnabled());
  pgm_->LVDT_CrossWire->setChecked(true);
  EXPECT_TRUE(pgm_->LVDT_CrossWire->isChecked());
  // Every mode change with 3 positions clears and disables it.
  QTest::mouseClick(pgm_->Positions_3, Qt::LeftButton);
  EXPECT_FALSE(pgm_->LVDT_CrossWire->isChecked());
  EXPECT_FALSE(pgm_->LVDT_CrossWire->isEnabled());
  QTest::mouseClick(pgm_->Positions_3, Qt::LeftButton);
  EXPECT_TRUE(pgm_->LVDT_CrossWire->isEnabled());
  EXPECT_FALSE(pgm_->LVDT_CrossWire->isChecked());
  // Without an LVDT the box clears itself.
  pgm_->SetLvdtFitted(false);
  pgm_->LVDT_CrossWire->setChecked(true);
  EXPECT_FALSE(pgm_->LVDT_CrossWire->isChecked());
}

TEST_F(ModesTest, CoilCurrentLimitsDependOnTheLevel) {
  for (int level : {1, 2}) {
    Make(level);
    Type(pgm_->Coil_A_Imin, QStringLiteral("0,2"));
    Type(pgm_->Coil_A_Imax, QStringLiteral("2"));
    EXPECT_EQ(pgm_->Coil_A_Imax->text(), level == 1 ? QStringLiteral("1,500") : QStringLiteral("2")) << level;
    pgm_->Coil_A_Imin->setText(QStringLiteral("3.5"));
    EXPECT_EQ(pgm_->Coil_A_Imin->text(), level == 1 ? QStringLiteral("1,500") : QStringLiteral("3,000")) << level;
  }
  // Imin above Imax: both red, nothing cut.
  Make(2);
  Type(pgm_->Coil_B_Imax, QStringLiteral("0,5"));
  Type(pgm_->Coil_B_Imin, QStringLiteral("0,8"));
  EXPECT_TRUE(ui::FieldIsRed(pgm_->Coil_B_Imin));
  EXPECT_TRUE(ui::FieldIsRed(pgm_->Coil_B_Imax));
  EXPECT_EQ(pgm_->Coil_B_Imin->text(), QStringLiteral("0,8"));
  Type(pgm_->Coil_B_Imax, QStringLiteral("0,9"));
  EXPECT_FALSE(ui::FieldIsRed(pgm_->Coil_B_Imin));
  EXPECT_FALSE(ui::FieldIsRed(pgm_->Coil_B_Imax));
  // A pasted "." becomes ",".
  pgm_->Coil_B_Imax->setText(QStringLiteral("1.2"));
  EXPECT_EQ(pgm_->Coil_B_Imax->text(), QStringLiteral("1,2"));
}

TEST_F(ModesTest, GainFromTheCurrentLimits) {
  Make(2);
  SetModes(true, true, false);
  pgm_->Coil_A_Imin->setText(QStringLiteral("0,2"));
  pgm_->Coil_A_Imax->setText(QStringLiteral("1,2"));
  pgm_->Coil_A_Gain->click();
  EXPECT_EQ(pgm_->Coil_A_GainI->text(), QStringLiteral("100,000"));

  SetModes(true, false, false);  // current input, 3 positions: / 8
  pgm_->Coil_A_Gain->click();
  EXPECT_EQ(pgm_->Coil_A_GainI->text(), QStringLiteral("125,000"));
  SetModes(false, false, false);  // current input, 2 positions: / 16
  pgm_->Coil_A_Gain->click();
  EXPECT_EQ(pgm_->Coil_A_GainI->text(), QStringLiteral("62,500"));

  // With LVDT the gain does not depend on the currents; Imax above 1,5 is red.
  SetModes(true, false, true);
  pgm_->Coil_B_Imin->setText(QStringLiteral("0,1"));
  pgm_->Coil_B_Imax->setText(QStringLiteral("1,6"));
  pgm_->Coil_B_Gain->click();
  EXPECT_EQ(pgm_->Coil_B_GainL->text(), QStringLiteral("1,250"));
  EXPECT_TRUE(ui::FieldIsRed(pgm_->Coil_B_Imax));
  EXPECT_FALSE(ui::FieldIsRed(pgm_->Coil_B_Imin));

  // An unread Imin counts as 9999: no gain without LVDT, both red.
  SetModes(true, true, false);
  pgm_->Coil_B_GainI->setText(QStringLiteral("7"));
  pgm_->Coil_B_Imin->setText(QStringLiteral("---"));
  pgm_->Coil_B_Imax->setText(QStringLiteral("1,0"));
  pgm_->Coil_B_Gain->click();
  EXPECT_EQ(pgm_->Coil_B_GainI->text(), QStringLiteral("7"));
  EXPECT_TRUE(ui::FieldIsRed(pgm_->Coil_B_Imin));
  EXPECT_TRUE(ui::FieldIsRed(pgm_->Coil_B_Imax));
}

TEST_F(ModesTest, CurrentLimitAndPwmColours) {
  Make(2);
  for (QLineEdit* field : {pgm_->I_Limit, pgm_->DAC_Imax}) {
    field->setText(QStringLiteral("3,3"));
    EXPECT_FALSE(ui::FieldIsRed(field));
    field->setText(QStringLiteral("3.31"));
    EXPECT_TRUE(ui::FieldIsRed(field));
    EXPECT_EQ(field->text(), QStringLiteral("3,31"));
    field->setText(QStringLiteral("1"));
    EXPECT_FALSE(ui::FieldIsRed(field));
    field->setText(QStringLiteral("abc"));
    EXPECT_TRUE(ui::FieldIsRed(field));
  }
  const std::pair<const char*, bool> pwm[] = {{"49", true}, {"50", false}, {"5000", false}, {"5001", true}};
  for (const auto& [text, red] : pwm) {
    pgm_->PWM->setText(QString::fromLatin1(text));
    EXPECT_EQ(ui::FieldIsRed(pgm_->PWM), red) << text;
  }
  pgm_->PWM->setText(QStringLiteral("x"));  // no integer: the colour stays
  EXPECT_TRUE(ui::FieldIsRed(pgm_->PWM));
}

TEST_F(ModesTest, DitherHoldsPwmBelowLevelTwoWhileTheWindowIsActive) {
  for (int level : {0, 1, 2}) {
    Make(level);
    options_->Dither_Mode->setChecked(true);
    pgm_->PWM->setText(QStringLiteral("1000"));  // window not active yet
    EXPECT_EQ(pgm_->PWM->text(), QStringLiteral("1000"));
    pgm_->show();
    pgm_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pgm_.get()));
    pgm_->PWM->setText(QStringLiteral("3000"));
    EXPECT_EQ(pgm_->PWM->text(), level < 2 ? QStringLiteral("2000") : QStringLiteral("3000")) << level;
    options_->Dither_Mode->setChecked(false);
    pgm_->PWM->setText(QStringLiteral("1500"));
    EXPECT_EQ(pgm_->PWM->text(), QStringLiteral("1500"));
  }
}

TEST_F(ModesTest, KeyFiltersAndFieldLengths) {
  Make(4);
  pgm_->show();
  // Without a connection the service fields are greyed: the filters are what
  // is tested here, so they are made usable.
  for (QLineEdit* field : pgm_->findChildren<QLineEdit*>()) field->setEnabled(true);
  for (ui::ValveField* field : {pgm_->PWM, pgm_->Coil_B_GainL, pgm_->DigiPot_Value, pgm_->ADC_Gain, pgm_->DAC_Value}) {
    field->clear();
    QTest::keyClicks(field, QStringLiteral("1a.-5"));
    EXPECT_EQ(field->text(), QStringLiteral("1,5").left(field->typedLimit())) << field->objectName().toStdString();
  }
  for (QLineEdit* field : {pgm_->IN1_4_20_Offset, pgm_->LVDT_Offset}) {
    field->clear();
    QTest::keyClicks(field, QStringLiteral("-1x.5"));
    EXPECT_EQ(field->text(), QStringLiteral("-1,5"));
  }
  for (QLineEdit* field : {options_->Dither_Ampl, options_->Ramp_Start_Delay}) {
    field->clear();
    QTest::keyClicks(field, QStringLiteral("-1b2"));
    EXPECT_EQ(field->text(), QStringLiteral("12"));
  }
}

}  // namespace
}  // namespace tvx::apptest
