// Sending and storing the parameter set from the window, and the reset,
// against the simulated valve. The send's order and its stops at bad fields
// are tested below the window.
#include "params_fixture.h"

#include "params/conversions.h"

#include <QSlider>

#include <bit>
#include <cstdio>

namespace tvx::apptest {
namespace {

std::string Hex(std::uint32_t word) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", word);
  return text;
}

class SendTest : public ParamsTest {};

TEST_F(SendTest, WriteParametersSendsTheSetThenStoresIt) {
  OpenAndRead(2);
  const auto before = valve_.model().workingImage();
  valve_.clearRequests();
  QTest::mouseClick(pgm_->WriteParameters, Qt::LeftButton);
  EXPECT_EQ(valve_.requests().back(), "S999=5555AAAA");
  EXPECT_TRUE(prompts_->messages().empty());
  // What was read goes back unchanged.
  EXPECT_EQ(valve_.model().workingImage(), before);
  EXPECT_TRUE(pgm_->WriteParameters->isEnabled());
}

TEST_F(SendTest, SendParametersDoesNotStore) {
  OpenAndRead(2);
  valve_.clearRequests();
  QTest::mouseClick(pgm_->SendParameters, Qt::LeftButton);
  EXPECT_EQ(RequestNames().back(), "W121");
  EXPECT_EQ(valve_.model().commandCount(999), 0u);
}

TEST_F(SendTest, WordsReadGoBackBitForBitWhateverTheFieldsShow) {
  // Values a field cannot show exactly: beyond its typed length, beyond its
  // decimals, in exponent form, too small for its decimals.
  const std::pair<int, std::uint32_t> words[] = {
      {18, std::bit_cast<std::uint32_t>(12345678.0f)}, {21, 1000u},
      {100, std::bit_cast<std::uint32_t>(-0.123457f)}, {117, 12000u},
      {19, std::bit_cast<std::uint32_t>(1.0e-7f)},     {20, std::bit_cast<std::uint32_t>(0.0004f)},
  };
  for (const auto& [reg, word] : words) valve_.model().setParameter(reg, word);
  OpenAndRead(2);
  EXPECT_EQ(pgm_->PID_P->text(), QStringLiteral("1,234568E007"));
  for (QPushButton* button : {pgm_->SendParameters, pgm_->WriteParameters}) {
    valve_.clearRequests();
    button->click();
    for (const auto& [reg, word] : words) {
      char request[16];
      std::snprintf(request, sizeof request, "W%03d=%s", reg, Hex(word).c_str());
      EXPECT_TRUE(Sent(request)) << request;
    }
  }
  EXPECT_EQ(valve_.model().commandCount(999), 1u);
}

TEST_F(SendTest, ConfigurationWordFromModesOptionsHeldFlagsAndSwitches) {
  OpenAndRead(4);
  pgm_->session().valve.Held = {};
  pgm_->session().valve.Held.rampEnable = true;
  pgm_->session().valve.Held.useTableLvdt = true;
  for (QCheckBox* box : options_->findChildren<QCheckBox*>()) box->setChecked(false);
  options_->MedianFilter->setChecked(true);   // bit 17
  options_->SetValDacMode->setChecked(true);  // bit 24
  {
    const QSignalBlocker blocker(pgm_->ServiceMode);
    pgm_->ServiceMode->setChecked(true);  // bit 31
  }
  // 3 positions, voltage input, LVDT (bits 0 to 2); no cross-wire with 3 positions.
  std::uint32_t expected = 0x7u | (1u << 10) | (1u << 14) | (1u << 17) | (1u << 24) | (1u << 31);
  valve_.clearRequests();
  pgm_->SendParameters->click();
  EXPECT_EQ(valve_.requests().front(), "W001=" + Hex(expected));

  // Bit 21 follows RemoteControl.
  QTest::mouseClick(pgm_->RemoteControl, Qt::LeftButton);
  ASSERT_TRUE(pgm_->RemoteControl->isChecked());
  valve_.clearRequests();
  pgm_->SendParameters->click();
  EXPECT_EQ(valve_.requests().front(), "W001=" + Hex(expected | (1u << 21)));
}

TEST_F(SendTest, ReadBackMismatchIsShownOnceAndTheSendGoesOn) {
  OpenAndRead(2);
  valve_.clearRequests();
  {
    ReplaceReply wrong(valve_.server(), "R001", 0x12345678);
    pgm_->WriteParameters->click();
  }
  const auto shown = prompts_->messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, QString::fromUtf8(" Błąd zapisu konfiguracji do pamięci nieulotnej rozdzielacza!   "));
  EXPECT_EQ(shown[0].caption, QString::fromUtf8(" Błąd konfiguracji"));
  EXPECT_EQ(shown[0].icon, ui::Prompts::Icon::Error);
  EXPECT_EQ(valve_.requests().back(), "S999=5555AAAA");
}

TEST_F(SendTest, UnreadFieldsSendNothing) {
  Open(2);  // every field still shows "---"
  valve_.clearRequests();
  pgm_->WriteParameters->click();
  EXPECT_TRUE(valve_.requests().empty());
  EXPECT_EQ(MessageTexts(), std::vector<QString>({QStringLiteral("'---' is not a valid integer value.")}));
  EXPECT_TRUE(pgm_->SendParameters->isEnabled());
  EXPECT_TRUE(pgm_->ReadParameters->isEnabled());
  EXPECT_TRUE(pgm_->WriteParameters->isEnabled());
}

TEST_F(SendTest, AFieldMarkedRedIsSentOnlyAfterTheUserSaysYes) {
  OpenAndRead(2);
  pgm_->I_Limit->setText(QStringLiteral("3,5"));
  ASSERT_TRUE(ui::FieldIsRed(pgm_->I_Limit));
  for (const ui::Prompts::Answer answer : {ui::Prompts::Answer::No, ui::Prompts::Answer::Yes}) {
    valve_.clearRequests();
    prompts_->clear();
    prompts_->queueAnswer(answer);
    pgm_->SendParameters->click();
    ASSERT_EQ(prompts_->messages().size(), 1u);
    EXPECT_EQ(prompts_->messages()[0].buttons, ui::Prompts::Buttons::YesNoDefaultNo);
    EXPECT_TRUE(prompts_->messages()[0].text.contains(QStringLiteral("I MAX [A]:  3,5")));
    EXPECT_EQ(valve_.requests().empty(), answer == ui::Prompts::Answer::No);
  }
}

TEST_F(SendTest, FailedExchangeStopsTheSendAndTheButtonsComeBack) {
  OpenAndRead(2);
  valve_.server().injectFault(sim::Fault{sim::FaultKind::CorruptStx, 0, "R001", 1});
  valve_.clearRequests();
  pgm_->WriteParameters->click();
  EXPECT_EQ(RequestNames(), Requests({"W001", "R001"}));
  ASSERT_EQ(prompts_->messages().size(), 2u);  // the USB message, then the error
  EXPECT_EQ(prompts_->messages()[1].text, QStringLiteral("USB error."));
  EXPECT_TRUE(pgm_->WriteParameters->isEnabled());
}

TEST_F(SendTest, ResetSwitchesRemoteControlOffResetsAndDisconnects) {
  OpenAndRead(2);
  QTest::mouseClick(pgm_->RemoteControl, Qt::LeftButton);
  ASSERT_TRUE(valve_.model().remote());
  valve_.clearRequests();
  QTest::mouseClick(pgm_->Reset, Qt::LeftButton);
  EXPECT_EQ(valve_.requests(), Requests({"S001=55555555", "G002", "S998=5555AAAA"}));
  EXPECT_FALSE(pgm_->RemoteControl->isChecked());
  EXPECT_FALSE(pgm_->port().PortOpen.load());
  EXPECT_EQ(pgm_->DisConnect->text(), QStringLiteral("&Połącz"));

  // With remote control off the reset sends only its command.
  ClickDisConnect(*pgm_);
  valve_.clearRequests();
  pgm_->Reset->click();
  EXPECT_EQ(valve_.requests(), Requests({"S998=5555AAAA"}));
  EXPECT_FALSE(pgm_->SendSetValue->isEnabled());
}

// The round trip a technician makes: edit at level 2, store, restart the valve
// from its EEPROM state file, read again.
TEST(ParamsRoundTrip, StoredValuesSurviveARestartOfTheValve) {
  ScopedLocale locale(QLocale(QLocale::Polish, QLocale::Poland));
  IsolatedSysfs sysfs;
  testing::ScopedScriptedPrompts prompts;
  testing::TempFolder folder;
  sim::ValveConfig config;
  config.stateFile = (folder.path() / "valve.state").string();
  {
    testing::SimulatedValve valve(config);
    auto pgm = MainWindowAt(2);
    service::TOptionsForm options(pgm->port(), pgm.get());
    ClickDisConnect(*pgm);
    pgm->ReadParameters->click();
    pgm->Coil_A_Imax->setText(QStringLiteral("1,250"));
    pgm->Coil_B_Imin->setText(QStringLiteral("0,150"));
    pgm->PID_P->setText(QStringLiteral("3,5"));
    pgm->Coil_A_GainL->setText(QStringLiteral("1,125"));
    options.Dither_Freq->setText(QStringLiteral("180"));
    options.MedianFilter->setChecked(true);
    options.Serial_Number->setText(QStringLiteral("unchanged"));  // only OK of the dialog sends it
    QTest::mouseClick(pgm->WriteParameters, Qt::LeftButton);
    ClickDisConnect(*pgm);
    ASSERT_TRUE(prompts->messages().empty());
  }
  testing::SimulatedValve valve(config);
  auto pgm = MainWindowAt(2);
  service::TOptionsForm options(pgm->port(), pgm.get());
  ClickDisConnect(*pgm);
  pgm->ReadParameters->click();
  EXPECT_EQ(pgm->Coil_A_Imax->text(), QStringLiteral("1,250"));
  EXPECT_EQ(pgm->Coil_B_Imin->text(), QStringLiteral("0,150"));
  EXPECT_EQ(pgm->PID_P->text(), QStringLiteral("3,500"));
  EXPECT_EQ(pgm->Coil_A_GainL->text(), QStringLiteral("1,125"));
  EXPECT_EQ(options.Dither_Freq->text(), QStringLiteral("180"));
  EXPECT_TRUE(options.MedianFilter->isChecked());
  EXPECT_NE(options.Serial_Number->text(), QStringLiteral("unchanged"));
  ClickDisConnect(*pgm);
}

}  // namespace
}  // namespace tvx::apptest
