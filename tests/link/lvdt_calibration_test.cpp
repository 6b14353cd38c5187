// LVDT calibration against the simulated valve: the timer's ticks send the
// chosen mode or show the signal; closing always ends with the inactive
// command as the dialog's last frame, once, without nesting and in bounded
// time also when the link is gone.
#include "link/exchanges.h"
#include "link/port.h"
#include "link/pump_wait.h"
#include "service/lvdt_calibration.h"
#include "support/valve_link_test.h"

#include <functional>

namespace tvx::service {
namespace {

using Requests = std::vector<std::string>;

class FakeCalibrationView : public CalibrationView {
 public:
  CalibrationMode mode = CalibrationMode::NotActive;
  std::string current = "1.5";
  std::string signal;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  bool closingShown = false;
  int closes = 0;
  // Runs while a report is shown (a message box keeps the events going).
  std::function<void()> whileReporting;

  char decimalSeparator() const override { return ','; }
  CalibrationMode selectedMode() const override { return mode; }
  std::string currentText() const override { return current; }
  void showSignal(const std::string& text) override { signal = text; }
  void showError(const std::string& text) override {
    errors.push_back(text);
    if (whileReporting) whileReporting();
  }
  void showWarning(const std::string& text, const std::string&) override {
    warnings.push_back(text);
    if (whileReporting) whileReporting();
  }
  void showClosing() override {
    closingShown = true;
    mode = CalibrationMode::NotActive;
  }
  void closeDialog() override { ++closes; }
};

class Calibration : public testing::ValveLinkTest {
 protected:
  FakeCalibrationView view_;
  LvdtCalibration calibration_{port(), view_};
};

TEST_F(Calibration, TicksSendTheChosenModeAndClosingEndsWithTheInactiveCommand) {
  valve_.model().overrideState(21, 0x3FA00000u);  // 1.25
  calibration_.activated();
  calibration_.tick();
  EXPECT_EQ(requests(), Requests{"G021"});
  EXPECT_EQ(view_.signal, "1,250 V");

  view_.mode = CalibrationMode::CoilA;
  calibration_.sendClicked();
  view_.mode = CalibrationMode::CoilB;  // a later choice waits for the next send
  view_.mode = CalibrationMode::CoilA;
  calibration_.tick();
  EXPECT_EQ(requests().back(), "S029=44FA3000");  // 2001.5
  EXPECT_TRUE(valve_.model().inCalibration());
  view_.mode = CalibrationMode::CoilB;
  calibration_.tick();  // no send without a click: the signal again
  EXPECT_EQ(requests().back(), "G021");
  EXPECT_FLOAT_EQ(valve_.model().calibration(), 2001.5f);

  calibration_.closeRequested();
  EXPECT_TRUE(view_.closingShown);
  calibration_.sendClicked();     // ignored while closing
  calibration_.closeRequested();  // so is a repeat
  calibration_.tick();
  EXPECT_EQ(requests().back(), "S029=3FC00000");  // the inactive base plus 1.5
  EXPECT_FALSE(valve_.model().inCalibration());
  EXPECT_EQ(view_.closes, 1);
  const std::size_t frames = requests().size();
  calibration_.tick();
  EXPECT_EQ(requests().size(), frames);  // nothing after the closing command
  EXPECT_TRUE(view_.warnings.empty());
  EXPECT_TRUE(reports_.empty());
}

TEST_F(Calibration, TheClosingWordNeverDependsOnABadField) {
  for (const char* text : {"", "abc", "2500", "1000"}) {
    SCOPED_TRACE(text);
    FakeCalibrationView view;
    LvdtCalibration calibration(port(), view);
    view.current = text;
    calibration.closeRequested();
    valve_.clearRequests();
    calibration.tick();
    EXPECT_EQ(requests(), Requests{"S029=00000000"});
    EXPECT_EQ(view.closes, 1);
    EXPECT_TRUE(view.errors.empty());
  }
}

TEST_F(Calibration, ABadCurrentIsReportedOnceAndNothingIsSent) {
  int nestedTicks = 0;
  view_.whileReporting = [&] {
    ++nestedTicks;
    calibration_.tick();  // the timer keeps ticking under the message box
  };
  for (const char* text : {"abc", "1000", "2500"}) {
    SCOPED_TRACE(text);
    view_.current = text;
    view_.mode = CalibrationMode::CoilA;
    calibration_.sendClicked();
    calibration_.tick();
    calibration_.tick();  // one attempt: the following tick shows the signal
  }
  EXPECT_EQ(view_.errors.size(), 3u);
  EXPECT_EQ(view_.errors[1], CalibrationRangeMessage);
  EXPECT_EQ(nestedTicks, 3);
  EXPECT_EQ(requests(), (Requests{"G021", "G021", "G021"}));
}

TEST_F(Calibration, OnlyTheFirstActivationForgetsAPendingSend) {
  calibration_.sendClicked();
  calibration_.activated();
  EXPECT_FALSE(calibration_.sendPending());
  calibration_.sendClicked();
  calibration_.activated();  // a message box closed and the dialog is active again
  EXPECT_TRUE(calibration_.sendPending());
  calibration_.tick();
  EXPECT_EQ(requests(), Requests{"S029=3FC00000"});
}

TEST_F(Calibration, ATickDuringASlowReadStartsNothingAndCloseWaitsForTheNextTick) {
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Delay, 300, "G021", 1});
  int pumped = 0;
  link::SetPumpHook([&](std::chrono::nanoseconds) {
    if (pumped++ == 0) {
      calibration_.tick();
      calibration_.closeRequested();  // Esc while the read waits
    }
  });
  calibration_.tick();
  link::SetPumpHook({});
  EXPECT_GT(pumped, 0);
  EXPECT_EQ(requests(), Requests{"G021"});
  EXPECT_EQ(view_.closes, 0);
  calibration_.tick();
  EXPECT_EQ(requests(), (Requests{"G021", "S029=3FC00000"}));
  EXPECT_EQ(view_.closes, 1);
}

TEST_F(Calibration, WhenTheClosingCommandIsLostTheDialogClosesWithAWarning) {
  view_.mode = CalibrationMode::CoilB;
  view_.current = "2";
  calibration_.sendClicked();
  calibration_.tick();
  ASSERT_EQ(requests().back(), "S029=453BA000");  // 3002.0
  // The closing command never reaches the valve.
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Ignore, 0, "S029", 1});
  int nestedTicks = 0;
  view_.whileReporting = [&] {
    ++nestedTicks;
    calibration_.tick();
  };
  calibration_.closeRequested();
  calibration_.tick();
  EXPECT_EQ(reports_.size(), 1u);  // one CommError
  EXPECT_EQ(view_.warnings, std::vector<std::string>{CalibrationStillActiveWarning});
  EXPECT_EQ(nestedTicks, 1);
  EXPECT_EQ(view_.closes, 1);
  EXPECT_EQ(requests().back(), "S029=40000000");
  EXPECT_TRUE(valve_.model().inCalibration());  // what the warning says
  calibration_.tick();
  EXPECT_EQ(requests().back(), "S029=40000000");
}

// A pulled line: the tick that finds the device gone reports once, and the
// dialog closes with its warning at once instead of reporting every tick; a
// port already closed (the window found it lost) sends nothing at all.
TEST_F(Calibration, WithTheLinkGoneOneReportAndTheDialogClosesWithItsWarning) {
  const std::function<void(testing::SimulatedValve&)> pulls[] = {
      [](testing::SimulatedValve& v) {
        v.server().injectFault(sim::Fault{sim::FaultKind::HangUp, 0, "G021", 1});
      },
      [this](testing::SimulatedValve&) {
        link::PortLockGuard lock(port());
        link::ClosePort(port());
      },
  };
  for (const auto& pull : pulls) {
    FakeCalibrationView view;
    LvdtCalibration calibration{port(), view};
    reports_.clear();
    pull(valve_);
    for (int tick = 0; tick < 3; ++tick) calibration.tick();
    EXPECT_LE(reports_.size(), 1u);
    EXPECT_EQ(view.warnings, std::vector<std::string>{CalibrationStillActiveWarning});
    EXPECT_EQ(view.closes, 1);
    EXPECT_TRUE(calibration.finished());
  }
  EXPECT_EQ(valve_.requests(), (Requests{"G021"}));
}

}  // namespace
}  // namespace tvx::service
