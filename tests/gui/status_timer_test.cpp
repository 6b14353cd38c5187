// The periodic status refresh: switched on and off by right clicks on
// InfoRefresh, switched off by a press on the action controls, guarded by
// RefreshBusy, kept running after a failure, ended with the port when the
// cable is pulled; and the colour check of the
// service gains (Timer2).
#include "status_fixture.h"

#include "ui/number_fields.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <functional>

namespace tvx::apptest {
namespace {

constexpr const char* StopAutoTimerControls[] = {
    "DisConnect", "Reset_Usupply_Max", "Coil_A_Peak", "Coil_B_Peak", "Reset_Temp_Max", "Send_IN1_Offset",
    "Send_DigiPot", "Send_DAC_Gain", "Send_DAC", "Send_ADC_Gain", "Send_LVDT_Offset", "PWM_Manual", "ErrorSetup",
    "ServiceOptions", "RampSetup", "Send_LVDT_Gain", "Dynamic_PID", "EnableDAC_Override", "EnableBreakpoint",
    "ServiceMode", "LinTable_B", "LinTable_A", "ReadParameters", "WriteParameters", "Reset", "ShowChart", "AutoMode",
    "RemoteControl", "SendParameters", "SelectSetup",
    // and, besides the thirty, the remote-control group and the LVDT button
    "ManualControl", "LVDT_Setup"};

// Processes events until the condition holds or the time is up.
template <typename Condition>
bool WaitFor(Condition done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QTest::qWait(5);
  return done();
}

class StatusTimerTest : public StatusTest {
 protected:
  StatusTimerTest() : StatusTest(4) {}
};

TEST_F(StatusTimerTest, RightClickSwitchesThePeriodicRefreshOnAndOff) {
  ASSERT_FALSE(pgm_->Timer1->isActive());
  EXPECT_EQ(pgm_->Timer1->interval(), 1500);
  QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
  EXPECT_TRUE(pgm_->Timer1->isActive());
  EXPECT_TRUE(valve_.requests().empty());  // the right click itself reads nothing
  QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
  EXPECT_FALSE(pgm_->Timer1->isActive());
  // A left click refreshes once and leaves the timer alone.
  QTest::mouseClick(pgm_->InfoRefresh, Qt::LeftButton);
  EXPECT_FALSE(pgm_->Timer1->isActive());
  EXPECT_EQ(Count(valve_.requests(), "R067"), 1u);
}

TEST_F(StatusTimerTest, TicksRefresh) {
  pgm_->Timer1->setInterval(20);
  QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
  EXPECT_TRUE(WaitFor([&] { return Count(valve_.requests(), "G043") >= 2; }, 3000));
  QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
  EXPECT_TRUE(prompts_->shown().empty());
}

TEST_F(StatusTimerTest, PressOnAnActionControlSwitchesItOff) {
  // A press on LVDT_Setup opens a dialog at once: close whatever modal window
  // a press opened.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  closer.start(20);
  for (const char* name : StopAutoTimerControls) {
    auto* w = qobject_cast<QWidget*>(pgm_->components().object(QString::fromLatin1(name)));
    ASSERT_NE(w, nullptr) << name;
    // Reach the control as a user would: its tab showing, the control usable.
    for (QWidget* tab : {pgm_->TabSheet1, pgm_->TabSheet2, pgm_->TabSheet3})
      if (tab->isAncestorOf(w)) pgm_->Options->setCurrentWidget(tab);
    w->setVisible(true);
    w->setEnabled(true);
    pgm_->Timer1->start();
    valve_.clearRequests();
    // Far right in the remote group, where a press starts no stepping.
    const QPoint at = w == pgm_->ManualControl ? QPoint(w->width() - 3, w->height() - 3) : w->rect().center();
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_FALSE(pgm_->Timer1->isActive()) << name;
    // Let go outside the control, so that nothing is clicked.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-50, -50), w->mapToGlobal(QPointF(-50, -50)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    pgm_->ApplyAccessRules();
  }

  // Presses elsewhere leave it running.
  pgm_->Options->setCurrentWidget(pgm_->TabSheet1);
  pgm_->Timer1->start();
  for (QWidget* w : std::initializer_list<QWidget*>{pgm_->Info_Usupply, pgm_->CurrentState, pgm_->FirmVer})
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
  QTest::mouseClick(pgm_->InfoRefresh, Qt::LeftButton);
  EXPECT_TRUE(pgm_->Timer1->isActive());
  pgm_->Timer1->stop();
}

TEST_F(StatusTimerTest, TickDuringARefreshDoesNothing) {
  // One slow reply keeps the refresh waiting long enough for many ticks.
  pgm_->Timer1->setInterval(5);
  pgm_->Timer1->start();
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Delay, 300, "G015", 1});
  bool busySeen = false;
  bool disabledSeen = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    busySeen |= pgm_->session().status.RefreshBusy;
    disabledSeen |= !pgm_->InfoRefresh->isEnabled();
  });
  probe.start(10);
  pgm_->Timer1->stop();
  QTest::mouseClick(pgm_->InfoRefresh, Qt::LeftButton);  // waits 300 ms in G015 ...
  probe.stop();
  EXPECT_TRUE(busySeen);
  EXPECT_TRUE(disabledSeen);

  // ... and with the timer running: a tick starts a refresh, the other ticks
  // during its slow reply start none.
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Delay, 300, "G015", 1});
  valve_.clearRequests();
  pgm_->Timer1->start();
  ASSERT_TRUE(WaitFor([&] { return Count(valve_.requests(), "G015") >= 1; }, 3000));
  ASSERT_TRUE(WaitFor([&] { return Count(valve_.requests(), "G043") >= 1; }, 3000));
  pgm_->Timer1->stop();
  const Requests r = valve_.requests();
  // Exactly one refresh ran up to the slow reply's end: no second R067 between
  // the first one and the first G043.
  const Requests first = Requests(
      r.begin(), r.begin() + static_cast<std::ptrdiff_t>(std::find(r.begin(), r.end(), "G043") - r.begin() + 1));
  EXPECT_EQ(Count(first, "R067"), 1u);
  EXPECT_TRUE(prompts_->shown().empty());
}

// Prompts that keep their message box "open" for a while, processing events
// as a modal box does, and record how deeply boxes nest.
class LingeringPrompts : public testing::ScriptedPrompts {
 public:
  Answer message(QWidget* parent, const QString& text, const QString& caption, Icon icon, Buttons buttons) override {
    ++depth_;
    maxDepth_ = std::max(maxDepth_, depth_);
    testing::ScriptedPrompts::message(parent, text, caption, icon, buttons);
    QTest::qWait(lingerMs);
    --depth_;
    return Answer::Ok;
  }
  int lingerMs = 0;
  int maxDepth() const { return maxDepth_; }

 private:
  int depth_ = 0;
  int maxDepth_ = 0;
};

TEST_F(StatusTimerTest, FailedPeriodicRefreshKeepsTheTimerRunning) {
  auto owned = std::make_unique<LingeringPrompts>();
  LingeringPrompts* prompts = owned.get();
  prompts->lingerMs = 200;
  ui::InstallPrompts(std::move(owned));

  pgm_->Timer1->setInterval(10);
  // The valve does not answer twice in a row.
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "G016", 2});
  valve_.clearRequests();
  QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
  // A failed tick shows its two boxes; while they are open no further refresh
  // starts, so boxes never pile up inside one another while the valve is away.
  ASSERT_TRUE(WaitFor([&] { return prompts->messages().size() >= 2; }, 5000));
  EXPECT_EQ(prompts->messages()[1].text, Utf8("USB error."));
  EXPECT_TRUE(pgm_->Timer1->isActive());
  EXPECT_TRUE(pgm_->InfoRefresh->isEnabled());
  // Once a box is closed the next tick tries again: it fails once more, then
  // succeeds.
  EXPECT_TRUE(WaitFor([&] { return Count(valve_.requests(), "G043") >= 1; }, 8000));
  pgm_->Timer1->stop();
  EXPECT_EQ(prompts->maxDepth(), 1);
  EXPECT_EQ(prompts->messages().size(), 4u);
  EXPECT_GE(Count(valve_.requests(), "R067"), 3u);
  ui::InstallPrompts(nullptr);
}

TEST_F(StatusTimerTest, ServiceGainsTurnRedAtZeroOnlyOnTheServiceTab) {
  pgm_->DAC_Gain->setText(QStringLiteral("0,000000"));
  pgm_->ADC_Gain->setText(QStringLiteral("1,250000"));
  pgm_->LVDT_Gain->setText(QStringLiteral("---"));
  ui::SetFieldRed(pgm_->LVDT_Gain, true);
  pgm_->Options->setCurrentWidget(pgm_->TabSheet1);
  pgm_->Timer2Timer();
  EXPECT_FALSE(ui::FieldIsRed(pgm_->DAC_Gain));

  pgm_->Options->setCurrentWidget(pgm_->TabSheet2);
  pgm_->Timer2Timer();
  EXPECT_TRUE(ui::FieldIsRed(pgm_->DAC_Gain));
  EXPECT_FALSE(ui::FieldIsRed(pgm_->ADC_Gain));
  EXPECT_TRUE(ui::FieldIsRed(pgm_->LVDT_Gain));  // no number: unchanged

  pgm_->DAC_Gain->setText(QStringLiteral("2.5"));
  pgm_->LVDT_Gain->setText(QStringLiteral("1,000000"));
  // Timer2 runs by itself every 750 ms.
  EXPECT_TRUE(pgm_->Timer2->isActive());
  EXPECT_EQ(pgm_->Timer2->interval(), 750);
  EXPECT_TRUE(WaitFor([&] { return !ui::FieldIsRed(pgm_->DAC_Gain) && !ui::FieldIsRed(pgm_->LVDT_Gain); }, 2000));
  EXPECT_TRUE(valve_.requests().empty());
}

// A pulled cable while the periodic refresh runs: a failing tick reports
// once (or the window finds the device gone between ticks), the port is closed as the connect button closes it, and the valve
// plugged back in connects again. Ending the simulator is what pulling the
// cable does to a real port; the hang-up fault drops the line at a request.
TEST_F(StatusTimerTest, PulledCableClosesThePortAfterOneReportAndTheValveConnectsAgain) {
  struct Case {
    const char* what;
    std::function<void(testing::SimulatedValve&)> pull;
  };
  const Case cases[] = {
      {"simulator ended", [](testing::SimulatedValve& v) { v.server().stop(); }},
      {"line hung up",
       [](testing::SimulatedValve& v) {
         v.server().injectFault(sim::Fault{sim::FaultKind::HangUp, 0, "", 1});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompts_->clear();
    pgm_->Timer1->setInterval(10);
    QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
    ASSERT_TRUE(pgm_->Timer1->isActive());
    c.pull(valve_);

    ASSERT_TRUE(WaitFor([this] { return !pgm_->port().PortOpen.load(); }, 10000));
    QTest::qWait(100);  // ticks that would follow, had the timer stayed on
    const auto messages = prompts_->messages();
    // At most one report: the USB message, then the error it raises; none
    // when the window finds the device gone between two refreshes.
    ASSERT_TRUE(messages.empty() || messages.size() == 2u) << messages.size();
    if (!messages.empty()) {
      EXPECT_EQ(messages[0].caption, Utf8(" Błąd USB"));
      EXPECT_EQ(messages[1].text, Utf8("USB error."));
    }
    EXPECT_EQ(pgm_->PortState->brushColor(), QColor(255, 0, 0));
    EXPECT_EQ(pgm_->DisConnect->text(), Utf8("&Połącz"));
    EXPECT_FALSE(pgm_->Timer1->isActive());
    EXPECT_FALSE(pgm_->ReadParameters->isEnabled());
    EXPECT_FALSE(pgm_->InfoRefresh->isEnabled());

    // Plugged back in (a fresh pty behind the same COM name).
    valve_.server().stop();
    valve_.server().start();
    valve_.addComEntry(valve_.comNumber());
    ClickDisConnect(*pgm_);
    ASSERT_TRUE(pgm_->port().PortOpen.load());
    EXPECT_EQ(pgm_->PortState->brushColor(), QColor(0, 255, 0));
    EXPECT_TRUE(pgm_->ReadParameters->isEnabled());
  }
}

}  // namespace
}  // namespace tvx::apptest
