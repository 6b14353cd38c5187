// Reading the parameter set from the simulated valve: what lands in the
// fields, the held values, the modes and the options, and what the read sends.
#include "params_fixture.h"

#include "params/conversions.h"
#include "params/register_map.h"
#include "ui/widgets.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QSlider>

#include <bit>
#include <map>

namespace tvx::apptest {
namespace {

class ReadTest : public ParamsTest {};

TEST_F(ReadTest, FillsFieldsHeldValuesOptionsAndIdentity) {
  auto& m = valve_.model();
  m.setParameterFloat(3, 1.5f);  // 0x3FC00000
  m.setParameterFloat(97, 1.5f);
  m.setParameter(21, 300);  // beyond the hint's 255: not clamped
  m.setParameter(67, 0x00012345);
  m.setParameter(96, 20);
  m.setParameterFloat(103, 0.25f);
  m.setParameterFloat(112, 4.0f);
  m.setParameter(117, 150);
  m.setParameter(118, 900);
  m.setParameter(119, 120);
  m.setState(13, 2048);
  m.setState(25, 4711);
  m.setState(30, 14031122);
  m.setState(39, proto::MarkerTrue);
  m.setState(42, proto::MarkerFalse);
  m.setSerialNumber("SN-42");
  m.setDeviceType("PRV-10 3P U LVDT");

  OpenAndRead(2);
  EXPECT_EQ(pgm_->Coil_A_Imin->text(), QStringLiteral("1,500"));
  EXPECT_EQ(pgm_->IN1_4_20_Offset->text(), QStringLiteral("1,500000"));
  EXPECT_EQ(pgm_->PWM->text(), QStringLiteral("2000"));
  EXPECT_EQ(pgm_->DigiPot_Value->text(), QStringLiteral("300"));
  EXPECT_EQ(pgm_->PID_D->text(), QStringLiteral("0,050"));
  EXPECT_EQ(pgm_->session().valve.Held.errorMask, 0x00012345u);
  EXPECT_EQ(pgm_->session().valve.Held.traceInterval, 20u);
  EXPECT_EQ(pgm_->session().valve.Held.nearZeroKp, std::bit_cast<std::uint32_t>(0.25f));
  EXPECT_EQ(pgm_->session().valve.Held.largeErrorKi, std::bit_cast<std::uint32_t>(4.0f));
  EXPECT_EQ(options_->Ramp_Start_Delay->text(), QStringLiteral("150"));
  EXPECT_EQ(options_->Dither_Ampl->text(), QStringLiteral("900"));
  EXPECT_EQ(options_->Dither_Freq->text(), QStringLiteral("120"));
  EXPECT_EQ(pgm_->DAC_Value->text(), QStringLiteral("2048"));
  EXPECT_EQ(pgm_->DebugPanel->text(), QStringLiteral("4711"));
  EXPECT_EQ(pgm_->FirmVer->text(), QStringLiteral("Firmware: V1.4   03-11-2022"));
  EXPECT_TRUE(pgm_->session().valve.BoardVariant);
  EXPECT_FALSE(pgm_->session().valve.In2Present);
  EXPECT_EQ(options_->Serial_Number->text(), QStringLiteral("SN-42"));
  EXPECT_EQ(options_->Device_Type->text(), QStringLiteral("PRV-10 3P U LVDT"));
  EXPECT_EQ(pgm_->Device_Type->text(), QStringLiteral("PRV-10 3P U LVDT"));

  // Centred in its group by the width of the text in the bold window font.
  QFont bold = pgm_->font();
  bold.setBold(true);
  const int width = QFontMetrics(bold).horizontalAdvance(pgm_->Device_Type->text());
  EXPECT_EQ(pgm_->Device_Type->x(), (pgm_->DeviceType->width() - width) / 2);

  // The factory word: 3 positions, voltage input, LVDT, dither, watchdog,
  // integrator limits.
  EXPECT_TRUE(pgm_->ThreePositions());
  EXPECT_TRUE(pgm_->VoltageInput());
  EXPECT_TRUE(pgm_->LvdtFitted());
  EXPECT_EQ(pgm_->Positions_3->text(), QString::fromUtf8("• 3-położeniowy"));
  EXPECT_EQ(pgm_->Voltage_Mode->text(), QString::fromUtf8("• sterowanie napięciowe"));
  EXPECT_EQ(pgm_->LVDT_Mode->text(), QString::fromUtf8("• z czujnikiem LVDT"));
  EXPECT_TRUE(options_->Dither_Mode->isChecked());
  EXPECT_TRUE(options_->IWDT_Enabled->isChecked());
  EXPECT_TRUE(options_->New_Ki_Limits->isChecked());
  EXPECT_FALSE(options_->MedianFilter->isChecked());

  // The buttons are back, remote control is off and stays off.
  EXPECT_TRUE(pgm_->ReadParameters->isEnabled());
  EXPECT_TRUE(pgm_->WriteParameters->isEnabled());
  EXPECT_FALSE(pgm_->RemoteControl->isChecked());
  EXPECT_FALSE(pgm_->SendSetValue->isEnabled());
  EXPECT_FALSE(pgm_->AutoMode->isEnabled());
}

TEST_F(ReadTest, HiddenOptionsSendNothing) {
  Open(2);
  valve_.clearRequests();
  QSignalSpy refresh(pgm_->InfoRefresh, &QPushButton::clicked);
  Read();
  EXPECT_EQ(refresh.count(), 1);
  // Setting the options' check boxes (dither, watchdog, integrator limits)
  // sent no switch commands.
  for (const std::string& r : valve_.requests()) {
    EXPECT_NE(r.rfind("S027", 0), 0u) << r;
    EXPECT_NE(r.rfind("S031", 0), 0u) << r;
    EXPECT_NE(r.rfind("S013", 0), 0u) << r;
  }
  EXPECT_TRUE(prompts_->messages().empty());
}

TEST_F(ReadTest, ServiceModeWordClearsEverythingElse) {
  OpenAndRead(2);
  ASSERT_TRUE(pgm_->ThreePositions());
  valve_.model().setParameter(1, 0x80000000u);
  valve_.clearRequests();
  Read();
  EXPECT_TRUE(pgm_->ServiceMode->isChecked());
  EXPECT_TRUE(Sent("S110=AAAAAAAA"));  // the box's own reaction
  EXPECT_FALSE(pgm_->ThreePositions());
  EXPECT_FALSE(pgm_->VoltageInput());
  EXPECT_FALSE(pgm_->LvdtFitted());
  EXPECT_EQ(pgm_->Positions_3->text(), QString::fromUtf8("• 2-położeniowy"));
  EXPECT_EQ(pgm_->Voltage_Mode->text(), QString::fromUtf8("• sterowanie prądowe"));
  EXPECT_EQ(pgm_->LVDT_Mode->text(), QString::fromUtf8("• bez czujnika LVDT"));
  EXPECT_FALSE(pgm_->LVDT_CrossWire->isChecked());
  for (QCheckBox* box : options_->findChildren<QCheckBox*>())
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
  EXPECT_FALSE(pgm_->session().valve.Held.rampEnable || pgm_->session().valve.Held.useTableA ||
               pgm_->session().valve.Held.useTableB || pgm_->session().valve.Held.useTableLvdt ||
               pgm_->session().valve.Held.xpidRampOnly);

  // Held flags come from bits 10, 12, 13, 14 and 20.
  valve_.model().setParameter(1, (1u << 10) | (1u << 13) | (1u << 20));
  Read();
  EXPECT_TRUE(pgm_->session().valve.Held.rampEnable);
  EXPECT_FALSE(pgm_->session().valve.Held.useTableA);
  EXPECT_TRUE(pgm_->session().valve.Held.useTableB);
  EXPECT_TRUE(pgm_->session().valve.Held.xpidRampOnly);
  EXPECT_FALSE(pgm_->ServiceMode->isChecked());
  EXPECT_TRUE(Sent("S110=55555555"));
}

TEST_F(ReadTest, RemoteControlComesFromStateRegisterOneOnly) {
  Open(2);
  valve_.model().setParameter(1, valve_.model().parameter(1) | (1u << 21));
  valve_.model().overrideState(1, 0x00000001);  // not MarkerTrue: no
  Read();
  EXPECT_FALSE(pgm_->RemoteControl->isChecked());

  valve_.model().overrideState(1, proto::MarkerTrue);
  valve_.model().setStateFloat(2, 2.35f);
  valve_.clearRequests();
  Read();
  EXPECT_TRUE(pgm_->RemoteControl->isChecked());
  // The box's reaction switched remote control on in the valve and re-read
  // the set value; the read then adopted the set value itself.
  EXPECT_TRUE(Sent("S001=AAAAAAAA"));
  EXPECT_EQ(pgm_->Set_Bar->value(), 23);
  EXPECT_EQ(pgm_->Set_Val->text(), QStringLiteral("2,350"));
  EXPECT_TRUE(pgm_->SendSetValue->isEnabled());
  EXPECT_TRUE(pgm_->AutoMode->isEnabled());  // voltage input, level 2

  valve_.model().overrideState(1, proto::MarkerFalse);
  Read();
  EXPECT_FALSE(pgm_->RemoteControl->isChecked());
  EXPECT_FALSE(pgm_->SendSetValue->isEnabled());
  EXPECT_FALSE(pgm_->AutoMode->isEnabled());
}

TEST_F(ReadTest, ASetValueThatIsNoNumberLeavesTheBarAtZeroAndAParameterNoValveHoldsFailsTheRead) {
  valve_.model().setStateFloat(2, std::bit_cast<float>(0x7FC00000u));
  OpenAndRead(2);
  EXPECT_EQ(pgm_->Set_Bar->value(), 0);                   // the set value gave no position
  EXPECT_FALSE(options_->Device_Type->text().isEmpty());  // the read reached its end
  EXPECT_TRUE(prompts_->messages().empty());

  // A parameter word no valve holds (Kp not a number): nothing of the block is shown.
  valve_.model().setParameter(18, 0x7FC00000u);
  valve_.model().setParameter(2, 1234);
  pgm_->ReadParameters->click();
  ASSERT_FALSE(prompts_->messages().empty());
  EXPECT_TRUE(prompts_->messages()[0].text.endsWith(QStringLiteral("Kod błędu: 5")))
      << prompts_->messages()[0].text.toStdString();
  EXPECT_EQ(pgm_->PWM->text(), QStringLiteral("2000"));
  EXPECT_NE(pgm_->PID_P->text(), QStringLiteral("NAN"));
}

TEST_F(ReadTest, WordsTheReadIgnoresChangeNothing) {
  OpenAndRead(2);
  auto snapshot = [&] {
    std::map<QString, QString> texts;
    for (QLineEdit* e : pgm_->findChildren<QLineEdit*>()) texts[e->objectName()] = e->text();
    for (QLineEdit* e : options_->findChildren<QLineEdit*>()) texts[e->objectName()] = e->text();
    for (QCheckBox* b : options_->findChildren<QCheckBox*>()) texts[b->objectName()] = b->isChecked() ? "1" : "0";
    return texts;
  };
  const auto before = snapshot();
  const params::HeldParameters held = pgm_->session().valve.Held;
  std::vector<int> ignored{7, 8, 9, 10, 101, 102, 120};
  for (int k = 23; k <= 66; ++k) ignored.push_back(k);
  for (int k = 70; k <= 95; ++k) ignored.push_back(k);
  for (int k : {105, 106, 107, 108, 109, 113, 114, 115, 116}) ignored.push_back(k);
  for (int k = 122; k <= 128; ++k) ignored.push_back(k);
  for (int k : ignored) valve_.model().setParameter(k, 0x7F7F7F7Fu + static_cast<std::uint32_t>(k));
  // Unused bits of the configuration word.
  valve_.model().setParameter(1, valve_.model().parameter(1) | 0x7E000000u);
  Read();
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(pgm_->session().valve.Held, held);
}

TEST_F(ReadTest, ProfileCaption) {
  Open(2);
  const std::pair<std::uint32_t, const char*> cases[] = {{0, "Profil nr 1 "}, {9, "Profil nr 10 "}, {10, "F"}};
  for (const auto& [value, caption] : cases) {
    valve_.model().setState(29, value);
    Read();
    EXPECT_EQ(pgm_->SelectSetup->text(), QString::fromLatin1(caption)) << value;
    EXPECT_EQ(pgm_->session().valve.CurrentProfile, static_cast<int>(value) + 1);
  }
  // No profile number from 0x7FFFFFFF up: the read ends there with the
  // standard error, and the buttons come back.
  valve_.model().setState(29, 0x7FFFFFFFu);
  valve_.clearRequests();
  prompts_->clear();
  Read();
  EXPECT_EQ(MessageTexts(), std::vector<QString>({QStringLiteral("Range check error.")}));
  EXPECT_EQ(RequestNames().back(), "G029");
  EXPECT_TRUE(pgm_->ReadParameters->isEnabled());
}

TEST_F(ReadTest, OneStatusRefreshAfterTheFirstReadOnlyAlsoWhenItFails) {
  Open(2);
  QSignalSpy refresh(pgm_->InfoRefresh, &QPushButton::clicked);
  valve_.server().injectFault(sim::Fault{sim::FaultKind::CorruptStx, 0, "G001", 1});
  Read();
  EXPECT_EQ(refresh.count(), 1);
  ASSERT_FALSE(prompts_->messages().empty());
  EXPECT_EQ(prompts_->messages().back().text, QStringLiteral("USB error."));
  EXPECT_TRUE(pgm_->SendParameters->isEnabled());
  EXPECT_TRUE(pgm_->ShowChart->isEnabled());
  EXPECT_FALSE(app::FirstReadPending);
  Read();
  Read();
  EXPECT_EQ(refresh.count(), 1);
}

TEST_F(ReadTest, ConnectingAtLevelZeroReads) {
  Open(0);
  EXPECT_NE(pgm_->PWM->text(), QStringLiteral("---"));
  EXPECT_FALSE(options_->Serial_Number->text().isEmpty());
}

TEST_F(ReadTest, AccessLevelDecidesPwmAndTheCurrentLimit) {
  valve_.model().setParameter(2, 1000);
  valve_.model().setParameterFloat(4, 2.0f);
  for (int level : {1, 2}) {
    Open(level);
    Activate();
    Read();
    // Level 1: dither is on and the window active, so PWM is held at 2000, and
    // the current fields are cut back to 1.5 A.
    EXPECT_EQ(pgm_->PWM->text(), level == 1 ? QStringLiteral("2000") : QStringLiteral("1000")) << level;
    EXPECT_EQ(pgm_->Coil_A_Imax->text(), level == 1 ? QStringLiteral("1,500") : QStringLiteral("2,000")) << level;
    ClickDisConnect(*pgm_);
  }
}

// A two-position valve with or without LVDT and the reversed-poles bit set.
TEST_F(ReadTest, CrossWireNeedsAnLvdt) {
  Open(3);
  constexpr std::uint32_t Lvdt = 1u << 2, CrossWire = 1u << 3;
  valve_.model().setParameter(1, Lvdt | CrossWire);
  Read();
  EXPECT_TRUE(pgm_->LVDT_CrossWire->isChecked());
  EXPECT_TRUE(pgm_->LVDT_CrossWire->isEnabled());
  valve_.model().setParameter(1, CrossWire);
  Read();
  EXPECT_FALSE(pgm_->LVDT_CrossWire->isChecked());
  EXPECT_FALSE(pgm_->LVDT_CrossWire->isEnabled());
}

TEST_F(ReadTest, DacOverrideFollowsStateRegister14WithItsReaction) {
  Open(2);
  valve_.model().setState(14, proto::MarkerTrue);
  valve_.clearRequests();
  Read();
  EXPECT_TRUE(pgm_->EnableDAC_Override->isChecked());
  EXPECT_TRUE(Sent("S005=AAAAAAAA"));
  valve_.model().setState(14, 0x00000001);
  Read();
  EXPECT_FALSE(pgm_->EnableDAC_Override->isChecked());
  EXPECT_TRUE(Sent("S005=55555555"));
}

}  // namespace
}  // namespace tvx::apptest
