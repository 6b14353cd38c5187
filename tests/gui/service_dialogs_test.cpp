// The ramp, PID extension, test-signal, manual PWM and LVDT calibration
// dialogs: their layouts where the valve changes them, and the wiring of
// their components to the sequences, against the simulated valve.
#include "dialog_fixture.h"

#include "remote/auto_form.h"
#include "remote/set_pwm_form.h"
#include "service/calibrate_form.h"
#include "service/ramp_form.h"
#include "service/xpid_form.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QElapsedTimer>
#include <QRadioButton>

namespace tvx::apptest {
namespace {

class ServiceDialogTest : public DialogTest {
 protected:
  using DialogTest::DialogTest;
  Requests requests() const { return valve_.requests(); }
  QWidget parent_;
  remote::LiveOutputs outputs_;  // none known on: the dialogs ask nothing after
};

TEST_F(ServiceDialogTest, LayoutsFollowTheValveAndTheSet) {
  service::TRampForm one(&parent_, false), two(&parent_, true);
  for (QWidget* w : std::initializer_list<QWidget*>{one.Ramp_B_Rise, one.Ramp_B_Fall, one.Label5, one.Label6})
    EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
  EXPECT_FALSE(two.Ramp_B_Rise->isHidden());
  EXPECT_FALSE(one.Label2->font().bold());
  EXPECT_TRUE(two.Label2->font().bold());
  EXPECT_FALSE(one.Label2->isHidden());

  service::TXPIDForm nearZero(&parent_, service::XpidForm::NearZero);
  service::TXPIDForm largeError(&parent_, service::XpidForm::LargeError);
  EXPECT_FALSE(nearZero.XPID_Ramp_Only->isHidden());
  EXPECT_TRUE(largeError.XPID_Ramp_Only->isHidden());
  EXPECT_EQ(nearZero.height() - largeError.height(), 50);
  EXPECT_EQ(nearZero.SendConfig->y() - largeError.SendConfig->y(), 50);
  EXPECT_EQ(largeError.Info_Label_B->text(), QString::fromUtf8("Błąd graniczny LVDT [V]"));
  // The buttons clear the fields above them.
  EXPECT_GT(largeError.SendConfig->y(), largeError.XPID_Ki->geometry().bottom());
}

TEST_F(ServiceDialogTest, RampDialogTakesTypedTimesAndTheSwitch) {
  params::HeldParameters held;
  WhenShown<service::TRampForm>([](service::TRampForm& form) {
    EXPECT_EQ(form.Ramp_A_Rise->text(), QStringLiteral("0,800"));
    form.Ramp_A_Fall->selectAll();
    QTest::keyClicks(form.Ramp_A_Fall, QStringLiteral("1.5"));  // the "." is typed as ","
    QTest::mouseClick(form.RampEnable, Qt::LeftButton);
    QTest::mouseClick(form.SendConfig, Qt::LeftButton);
  });
  service::OpenRampDialog(port(), &parent_, held, true, true);
  EXPECT_EQ(requests(), (Requests{"R070", "R071", "R072", "R073", "W070=3F4CCCCD", "W071=3FC00000", "W072=3F4CCCCD",
                                  "W073=3ECCCCCD", "S012=AAAAAAAA"}));
  EXPECT_TRUE(held.rampEnable);
}

TEST_F(ServiceDialogTest, TestSignalDialogShowsNoWaveformForAnUnknownCode) {
  valve_.model().setParameter(108, 2);
  bool noneChecked = false;
  // The same dialog object is not reused: each opening creates its own.
  WhenShown<remote::TAutoForm>([](remote::TAutoForm& form) {
    EXPECT_TRUE(form.AutoSquare->isChecked());
    QTest::mouseClick(form.Cancel, Qt::LeftButton);
  });
  remote::OpenTestSignalDialog(port(), outputs_, &parent_);
  valve_.model().setParameter(108, 6);
  WhenShown<remote::TAutoForm>([&](remote::TAutoForm& form) {
    noneChecked = !form.AutoStop->isChecked() && !form.AutoSinus->isChecked() && !form.AutoSquare->isChecked() &&
                  !form.AutoTriangle->isChecked();
    form.Offset->selectAll();
    QTest::keyClicks(form.Offset, QStringLiteral("-2.5"));
    QTest::mouseClick(form.AutoSinus, Qt::LeftButton);
    QTest::mouseClick(form.SendConfig, Qt::LeftButton);
  });
  valve_.clearRequests();
  remote::OpenTestSignalDialog(port(), outputs_, &parent_);
  EXPECT_TRUE(noneChecked);
  EXPECT_EQ(requests(), (Requests{"R105", "R106", "R107", "R108", "W105=40A00000", "W106=3F800000", "W107=C0200000",
                                  "W108=00000001"}));
}

class TwoPositionServiceDialogTest : public ServiceDialogTest {
 protected:
  static sim::ValveConfig Config() {
    sim::ValveConfig c;
    c.threePositions = false;
    return c;
  }
  TwoPositionServiceDialogTest() : ServiceDialogTest(Config()) {}
};

TEST_F(TwoPositionServiceDialogTest, ManualPwmDialogConvertsOnKeyReleaseAndSends) {
  bool bDisabled = false;
  WhenShown<remote::TSetPWMForm>([&](remote::TSetPWMForm& form) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    bDisabled = !form.PWM_B->isEnabled() && !form.PWM_B_Percent->isEnabled() && !form.Enable_PWM_B->isEnabled();
    EXPECT_EQ(form.PWM_A->toolTip(), QString::fromUtf8(" Maksymalna wartość to 5000 "));
    form.PWM_A->setFocus();
    form.PWM_A->selectAll();
    QTest::keyClicks(form.PWM_A, QStringLiteral("2500"));
    EXPECT_EQ(form.PWM_A_Percent->text(), QStringLiteral("50"));
    form.PWM_A_Percent->selectAll();
    QTest::keyClicks(form.PWM_A_Percent, QStringLiteral("33"));
    EXPECT_EQ(form.PWM_A->text(), QStringLiteral("1650"));
    // Keys that overlap, as when typing fast: 8 down, 0 down, 8 up, 0 up.
    form.PWM_A->selectAll();
    QTest::keyPress(form.PWM_A, '8');
    QTest::keyPress(form.PWM_A, '0');
    QTest::keyRelease(form.PWM_A, '8');
    QTest::keyRelease(form.PWM_A, '0');
    EXPECT_EQ(form.PWM_A->text(), QStringLiteral("80"));
    EXPECT_EQ(form.PWM_A_Percent->text(), QStringLiteral("1"));
    // The release of the Enter that closed a message box comes to a field
    // that has just taken the focus back: no key of its own.
    form.PWM_A->setText(QStringLiteral("x"));
    QFocusEvent focusBack(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(form.PWM_A, &focusBack);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(form.PWM_A, &release);
    form.PWM_A->setText(QStringLiteral("1650"));
    QTest::mouseClick(form.Enable_PWM_A, Qt::LeftButton);
    QTest::mouseClick(form.SendPWM, Qt::LeftButton);
    QTest::keyClick(&form, Qt::Key_Escape);
  });
  remote::OpenManualPwmDialog(port(), outputs_, &parent_, false);
  EXPECT_TRUE(bDisabled);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(requests(), (Requests{"G027", "G028", "S018=06720000", "S019=00000001"}));
}

// Every way out of the calibration dialog ends with the inactive command as
// its last frame, sent by the timer's next tick, with the controls disabled
// meanwhile.
TEST_F(ServiceDialogTest, CalibrationDialogAlwaysLeavesWithTheInactiveCommand) {
  const std::function<void(service::TCalibrateForm&)> leave[] = {
      [](service::TCalibrateForm& form) { QTest::keyClick(&form, Qt::Key_Escape); },
      [](service::TCalibrateForm& form) { form.close(); },  // the window manager's close
      [](service::TCalibrateForm& form) { QTest::mouseClick(form.Done, Qt::LeftButton); },
  };
  for (const auto& way : leave) {
    valve_.clearRequests();
    bool disabledWhileClosing = false;
    WhenShown<service::TCalibrateForm>([&](service::TCalibrateForm& form) {
      // The first activation clears a pending send: click as a user would,
      // once the dialog is the active window.
      EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
      QTest::mouseClick(form.Coil_A, Qt::LeftButton);
      QTest::mouseClick(form.SendCalibration, Qt::LeftButton);
      // Leave in any case, so that a failure cannot keep the dialog open.
      EXPECT_TRUE(QTest::qWaitFor([&] { return valve_.model().inCalibration(); }, 10000));
      way(form);
      disabledWhileClosing = form.isVisible() && !form.Done->isEnabled() && !form.Coil_A->isEnabled() &&
                             !form.Calibration_Curr->isEnabled() && form.NotActive->isChecked();
    });
    service::OpenCalibrationDialog(port(), &parent_);
    EXPECT_TRUE(disabledWhileClosing);
    const Requests r = requests();
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(std::count(r.begin(), r.end(), "S029=44FA3000"), 1);
    EXPECT_EQ(r.back(), "S029=3FC00000");
    EXPECT_FALSE(valve_.model().inCalibration());
  }
  EXPECT_TRUE(MessageTexts().empty());
}

}  // namespace
}  // namespace tvx::apptest
