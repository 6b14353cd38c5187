// The options dialog: switch commands while it is active, its activation, the
// dither checks and what OK sends.
#include "params_fixture.h"

#include <QTimer>

#include <functional>

namespace tvx::apptest {
namespace {

class OptionsTest : public ParamsTest {
 protected:
  // Opens the dialog with the main window's button and runs `during` while it
  // is shown and active; `during` ends by closing it.
  void WhileOpen(const std::function<void()>& during) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      if (!QTest::qWaitForWindowActive(options_.get())) {
        ADD_FAILURE() << "the options dialog did not become active";
        options_->reject();
        return;
      }
      ran = true;
      during();
      if (options_->isVisible()) {
        ADD_FAILURE() << "the options dialog is still open";
        options_->reject();
      }
    });
    pgm_->ServiceOptions->click();
    EXPECT_TRUE(ran);
  }
  bool SentAnyStartingWith(const std::string& prefix) const {
    for (const std::string& r : valve_.requests())
      if (r.rfind(prefix, 0) == 0) return true;
    return false;
  }
};

TEST_F(OptionsTest, TogglesActAtOnceAndCancelSendsNoRegisters) {
  OpenAndRead(2);
  ASSERT_FALSE(options_->MedianFilter->isChecked());
  valve_.clearRequests();
  WhileOpen([&] {
    QTest::mouseClick(options_->MedianFilter, Qt::LeftButton);
    QTest::mouseClick(options_->Dither_Mode, Qt::LeftButton);  // on in the factory set: now off
    options_->Ramp_Start_Delay->setText(QStringLiteral("300"));
    QTest::mouseClick(options_->Cancel, Qt::LeftButton);
  });
  EXPECT_EQ(valve_.requests(), Requests({"G027", "S008=AAAAAAAA", "S027=55555555"}));
  EXPECT_TRUE(options_->MedianFilter->isChecked());  // the store keeps what was toggled

  // Esc closes the same way.
  valve_.clearRequests();
  WhileOpen([&] {
    QTest::mouseClick(options_->Report_DAC, Qt::LeftButton);
    QTest::keyClick(options_->Dither_Ampl, Qt::Key_Escape);
  });
  EXPECT_EQ(valve_.requests(), Requests({"G027", "S022=AAAAAAAA"}));
  EXPECT_TRUE(prompts_->messages().empty());
}

TEST_F(OptionsTest, ComingBackFromAnotherApplicationReadsNothing) {
  OpenAndRead(2);
  valve_.clearRequests();
  WhileOpen([&] {
    // The user switches to another application and back.
    QApplication::setActiveWindow(nullptr);
    ASSERT_FALSE(options_->isActiveWindow());
    QApplication::setActiveWindow(options_.get());
    ASSERT_TRUE(options_->isActiveWindow());
    options_->reject();
  });
  EXPECT_EQ(valve_.requests(), Requests({"G027"}));
  // A new showing reads again.
  WhileOpen([&] { options_->reject(); });
  EXPECT_EQ(valve_.requests(), Requests({"G027", "G027"}));
}

TEST_F(OptionsTest, OkSendsTheNumbersAndBothTexts) {
  OpenAndRead(2);
  valve_.clearRequests();
  WhileOpen([&] {
    options_->Ramp_Start_Delay->setText(QStringLiteral("250"));
    options_->Dither_Ampl->setText(QStringLiteral("1000"));
    options_->Dither_Freq->setText(QStringLiteral("99"));
    options_->Serial_Number->clear();
    options_->Device_Type->setText(QStringLiteral("ABCDE"));
    QTest::mouseClick(options_->SendConfig, Qt::LeftButton);
  });
  EXPECT_EQ(valve_.requests().front(), "G027");
  EXPECT_EQ(valve_.requests().size(), 24u);
  EXPECT_EQ(valve_.model().parameter(117), 250u);
  EXPECT_EQ(valve_.model().parameter(119), 99u);
  EXPECT_EQ(valve_.model().deviceType(), "ABCDE");
  EXPECT_EQ(valve_.model().serialNumber(), "");
}

TEST_F(OptionsTest, DitherAmplitudeAgainstTheValvesPwmMaximum) {
  OpenAndRead(2);
  struct Case {
    std::uint32_t maximum;
    const char* normal;
    const char* red;
  };
  for (const Case& c : {Case{5000, "1250", "1251"}, Case{4999, "1249", "1250"}}) {
    valve_.model().overrideState(27, c.maximum << 16 | 0x3);
    WhileOpen([&] {
      EXPECT_EQ(options_->PwmMaximum, c.maximum);
      options_->Dither_Ampl->setText(QString::fromLatin1(c.normal));
      EXPECT_FALSE(ui::FieldIsRed(options_->Dither_Ampl)) << c.normal;
      options_->Dither_Ampl->setText(QString::fromLatin1(c.red));
      EXPECT_TRUE(ui::FieldIsRed(options_->Dither_Ampl)) << c.red;
      options_->Dither_Ampl->setText(QStringLiteral("x"));  // no integer: colour stays
      EXPECT_TRUE(ui::FieldIsRed(options_->Dither_Ampl));
      options_->reject();
    });
  }
  // While the dialog is hidden the amplitude is not checked.
  options_->Dither_Ampl->setText(QStringLiteral("10"));
  EXPECT_TRUE(ui::FieldIsRed(options_->Dither_Ampl));
}

TEST_F(OptionsTest, DitherFrequencyIsCheckedAtAnyTime) {
  Open(2);
  const std::pair<const char*, bool> cases[] = {{"9", true}, {"10", false}, {"250", false}, {"251", true}};
  for (const auto& [text, red] : cases) {
    options_->Dither_Freq->setText(QString::fromLatin1(text));
    EXPECT_EQ(ui::FieldIsRed(options_->Dither_Freq), red) << text;
  }
  // Also when the parameter read writes it.
  valve_.model().setParameter(119, 300);
  options_->Dither_Freq->setText(QStringLiteral("100"));
  Read();
  EXPECT_TRUE(ui::FieldIsRed(options_->Dither_Freq));
}

TEST_F(OptionsTest, FailedPwmMaximumReadFallsBackTo5000) {
  OpenAndRead(2);
  options_->PwmMaximum = 123;
  valve_.server().injectFault(sim::Fault{sim::FaultKind::CorruptStx, 0, "G027", 1});
  WhileOpen([&] {
    EXPECT_EQ(options_->PwmMaximum, 5000u);
    options_->reject();
  });
  // Reported once by the link; the dialog still opened.
  EXPECT_EQ(prompts_->messages().size(), 1u);
  EXPECT_EQ(prompts_->messages()[0].caption, QString::fromUtf8(" Błąd USB"));
}

TEST_F(OptionsTest, SwitchingDitherOnBelowLevelTwoSetsPwmTo2000) {
  for (int level : {1, 2}) {
    Open(level);
    options_->Dither_Mode->setChecked(false);
    pgm_->PWM->setText(QStringLiteral("1000"));
    WhileOpen([&] {
      QTest::mouseClick(options_->Dither_Mode, Qt::LeftButton);
      QTest::mouseClick(options_->SendConfig, Qt::LeftButton);
    });
    EXPECT_EQ(pgm_->PWM->text(), level == 1 ? QStringLiteral("2000") : QStringLiteral("1000")) << level;
    // Already on when the dialog became active: OK leaves PWM alone.
    pgm_->PWM->setText(QStringLiteral("1000"));
    WhileOpen([&] { QTest::mouseClick(options_->Cancel, Qt::LeftButton); });
    WhileOpen([&] { options_->SendConfig->click(); });
    EXPECT_EQ(pgm_->PWM->text(), QStringLiteral("1000")) << level;
    ClickDisConnect(*pgm_);
  }
}

TEST(OptionsHint, SequenceHintChosenAtCreationByTheBoardVariant) {
  IsolatedPorts ports;
  auto pgm = MainWindowAt(2);
  for (bool variant : {true, false}) {
    service::TOptionsForm options(pgm->port(), pgm.get(), variant);
    const QString hint = options.Q51_PWM_Sequence->toolTip();
    EXPECT_TRUE(hint.contains(variant ? QStringLiteral("tranzystor Q5 i") : QStringLiteral("tranzystor Q1 i")));
    EXPECT_TRUE(hint.startsWith(QStringLiteral(" Po każdej zmianie stanu sygnału  ENABLE  tranzystor")));
    EXPECT_TRUE(hint.contains(QLatin1Char('\n')));
  }
}

}  // namespace
}  // namespace tvx::apptest
