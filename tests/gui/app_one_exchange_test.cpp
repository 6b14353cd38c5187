// One exchange at a time on the window: a click or a timer tick that gets
// through while an exchange waits starts no second one, a disabled control
// reacts to no mouse button, and a failed connect shows its message without
// holding the port lock (a periodic refresh during it once hung the program).
#include "status_fixture.h"

#include "link/exchanges.h"

#include <QTimer>

#include <algorithm>

namespace tvx::apptest {
namespace {

class OneExchangeTest : public StatusTest {
 protected:
  // Runs `action` from the event loop `ms` after the next action starts
  // waiting, as a click that arrives while the valve is slow.
  void During(int ms, std::function<void()> action) { QTimer::singleShot(ms, pgm_.get(), std::move(action)); }
  // The requests of the refresh, from R067 to G043, as one block.
  void ExpectOneWholeRefresh() const {
    const Requests r = valve_.requests();
    const auto start = std::find(r.begin(), r.end(), "R067");
    const auto end = std::find(r.begin(), r.end(), "G043");
    ASSERT_NE(start, r.end());
    ASSERT_NE(end, r.end());
    EXPECT_EQ(std::count(r.begin(), r.end(), "R067"), 1);
    for (auto it = start; it != end; ++it)
      EXPECT_TRUE((*it)[0] == 'G' || (*it)[0] == 'R' || *it == "S997=5555AAAA") << *it;
    EXPECT_TRUE(prompts_->shown().empty());
  }
};

TEST_F(OneExchangeTest, DoubleClickOnTheStopTextRunsOneRefresh) {
  model().setStop(11, 1.0f);
  Refresh();
  ASSERT_TRUE(Shown(pgm_->StopInfo));
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Delay, 150, "G005", 1});
  valve_.clearRequests();
  During(60, [&] { QTest::mouseClick(pgm_->StopInfo, Qt::LeftButton); });
  QTest::mouseClick(pgm_->StopInfo, Qt::LeftButton);
  EXPECT_EQ(Count(valve_.requests(), "S009=AAAAAAAA"), 1u);
  ExpectOneWholeRefresh();
}

TEST_F(OneExchangeTest, ClicksDuringASlowRefreshStartNothingInsideIt) {
  struct Case {
    const char* name;
    std::function<void()> click;
  };
  const Case cases[] = {
      {"SendParameters", [&] { QTest::mouseClick(pgm_->SendParameters, Qt::LeftButton); }},
      {"Coil_A_Peak", [&] { QTest::mouseClick(pgm_->Coil_A_Peak, Qt::LeftButton); }},
      {"FirmVer", [&] { QTest::mouseClick(pgm_->FirmVer, Qt::LeftButton); }},
      {"Reset_Temp_Max", [&] { QTest::mouseClick(pgm_->Reset_Temp_Max, Qt::LeftButton); }},
      {"Timer1", [&] { pgm_->Timer1Timer(); }},
  };
  for (const Case& c : cases) {
    valve_.server().injectFault(sim::Fault{sim::FaultKind::Delay, 150, "G005", 1});
    valve_.clearRequests();
    bool inside = false;
    During(60, [&] {
      inside = link::ExchangeInProgress();
      c.click();
    });
    Refresh();
    EXPECT_TRUE(inside) << c.name;
    ExpectOneWholeRefresh();
    const Requests r = valve_.requests();
    // Whatever the click started came after the refresh, if at all.
    EXPECT_EQ(r[r.size() - 1], "G043") << c.name;
  }
}

TEST_F(OneExchangeTest, ARightClickOnTheDisabledRefreshButtonDoesNothing) {
  ClickDisConnect(*pgm_);
  ASSERT_FALSE(pgm_->InfoRefresh->isEnabled());
  QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
  EXPECT_FALSE(pgm_->Timer1->isActive());
  // Nor does a press on a disabled action control stop a running refresh.
  pgm_->Timer1->start();
  ASSERT_FALSE(pgm_->ReadParameters->isEnabled());
  QTest::mousePress(pgm_->ReadParameters, Qt::LeftButton);
  EXPECT_TRUE(pgm_->Timer1->isActive());
  pgm_->Timer1->stop();
}

TEST_F(OneExchangeTest, AnExchangeThatFindsTheDeviceGoneClosesThePort) {
  valve_.server().injectFault(sim::Fault{sim::FaultKind::HangUp, 0, "", 1});
  Refresh();
  ASSERT_EQ(prompts_->messages().size(), 2u);  // the USB message, then the error
  EXPECT_FALSE(pgm_->port().PortOpen.load());
  EXPECT_EQ(pgm_->DisConnect->text(), QStringLiteral("&Połącz"));
  EXPECT_FALSE(pgm_->InfoRefresh->isEnabled());
}

TEST(OneExchange, FailedConnectShowsItsMessageWithoutTheLockAndNoRefreshRunsDuringIt) {
  IsolatedPorts ports;  // COM1 absent
  testing::ScopedScriptedPrompts prompts;
  auto pgm = MainWindowAt(2);
  pgm->show();
  pgm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(pgm.get()));
  pgm->ComPort->setCurrentIndex(0);
  pgm->Timer1->setInterval(20);
  pgm->Timer1->start();
  bool lockHeld = true;
  bool timerRan = true;
  prompts->whileNextMessageShown([&] {
    lockHeld = pgm->port().PortLock.test();
    timerRan = pgm->Timer1->isActive();
    if (!lockHeld) QTest::qWait(100);  // a held lock would hang the first tick
  });
  // What the accelerator Alt+P does: a click without a mouse press, so that
  // Timer1 is still running when the connect fails.
  pgm->DisConnect->click();
  ASSERT_EQ(prompts->messages().size(), 1u);
  EXPECT_EQ(prompts->messages()[0].text, QString::fromUtf8(" Port szeregowy COM1 niedostępny!   "));
  EXPECT_FALSE(lockHeld);
  EXPECT_FALSE(timerRan);
  EXPECT_FALSE(pgm->Timer1->isActive());
  EXPECT_FALSE(pgm->port().PortOpen.load());
  // A reset of the reply buffer with the port closed takes no lock, so it
  // cannot wait on a holder further up the stack.
  link::PortLockGuard holder(pgm->port());
  link::ResetReplyBuffer(pgm->port());
}

}  // namespace
}  // namespace tvx::apptest
