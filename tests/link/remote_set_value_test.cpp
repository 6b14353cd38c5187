// Set-value sends and the stepper of the remote group against the simulated
// valve.
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "remote/set_value.h"
#include "support/valve_link_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tvx::remote {
namespace {

using Requests = std::vector<std::string>;

// A bar from `min` to `max` with the set-value label following it.
class Bar : public StepperControls {
 public:
  Bar(int min, int max, int position) : min_(min), max_(max), position_(position) { Show(); }
  int Position() const override { return position_; }
  void SetPosition(int p) override {
    position_ = std::clamp(p, min_, max_);
    ++steps;
    Show();
  }
  bool RemoteOn() const override { return remote; }
  std::string_view SetValueText() const override { return text_; }
  void StopRefresh() override { ++refreshStops; }
  bool MayContinue() const override { return !mayContinue || mayContinue(steps); }

  bool remote = false;
  int steps = 0;
  int refreshStops = 0;
  std::function<bool(int)> mayContinue;

 private:
  void Show() { text_ = std::to_string(position_ / 10) + "," + std::to_string(std::abs(position_ % 10)) + "00"; }
  int min_, max_, position_;
  std::string text_;
};

class SetValueTest : public testing::ValveLinkTest {
 protected:
  // Calls `action` once from the waits, after the stepper has made `steps` steps.
  void AfterSteps(const Bar& bar, int steps, const std::function<void()>& action) {
    link::SetPumpHook([&bar, steps, action, done = false](std::chrono::nanoseconds) mutable {
      if (!done && bar.steps >= steps) {
        done = true;
        action();
      }
    });
  }

  Stepper stepper_;
};

TEST_F(SetValueTest, TheFourFormsOfASend) {
  struct Case {
    SendPress press;
    const char* text;
    Requests requests;
    bool recorderRestarted;
  } cases[] = {
      {{false, false}, "3,500", {"S003=40600000"}, true},
      {{false, true}, "3.500", {"S017=40600000"}, false},
      {{true, false}, "3,500", {"S003=00000000", "S003=40600000"}, true},
      {{true, true}, "-0,100", {"S003=00000000", "S017=BDCCCCCD"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    valve_.clearRequests();
    EXPECT_EQ(SendSetValue(port(), c.press, c.text), c.recorderRestarted);
    EXPECT_EQ(valve_.requests(), c.requests);
  }
  EXPECT_EQ(valve_.model().commandCount(2), 0u);
}

TEST_F(SetValueTest, MarkersAndStepDelays) {
  EXPECT_EQ(MarkerPosition(Marker::Low, 40, 200), 40);
  EXPECT_EQ(MarkerPosition(Marker::Mid, 40, 200), 120);  // 12.000 mA
  EXPECT_EQ(MarkerPosition(Marker::Mid, -100, 100), 0);
  EXPECT_EQ(MarkerPosition(Marker::Mid, 0, 101), 50);
  EXPECT_EQ(MarkerPosition(Marker::High, 0, 100), 100);
  std::vector<unsigned> delays{FirstStepDelayMs};
  while (delays.size() < 15) delays.push_back(NextStepDelay(delays.back()));
  EXPECT_EQ(delays, (std::vector<unsigned>{250, 230, 210, 190, 170, 150, 130, 110, 90, 70, 50, 30, 10, 10, 10}));
}

TEST_F(SetValueTest, AShortClickMakesOneStepShiftTen) {
  struct Case {
    StepperPress press;
    int position;
  } cases[] = {{{+1, false, false}, 24}, {{-1, false, false}, 22}, {{+1, true, false}, 33}, {{0, false, false}, 23}};
  for (const Case& c : cases) {
    Bar bar(-100, 100, 23);
    AfterSteps(bar, 1, [this] { stepper_.Stop(); });
    stepper_.Run(port(), bar, c.press);
    EXPECT_EQ(bar.Position(), c.position);
    EXPECT_EQ(bar.steps, 1);
  }
  EXPECT_TRUE(valve_.requests().empty());  // no Ctrl: nothing sent
}

TEST_F(SetValueTest, CtrlSendsEveryStepOnlyWithRemoteOnAlsoAtTheRangeEnd) {
  for (bool remote : {false, true}) {
    SCOPED_TRACE(remote);
    valve_.clearRequests();
    Bar bar(0, 100, 99);
    bar.remote = remote;
    AfterSteps(bar, 3, [this] { stepper_.Stop(); });
    stepper_.Run(port(), bar, {+1, false, true});
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(bar.steps, 3);
    const Requests expected = remote ? Requests(3, "S017=41200000") : Requests{};
    EXPECT_EQ(valve_.requests(), expected);
    EXPECT_EQ(bar.refreshStops, remote ? 3 : 0);
  }
}

// Every mouse down makes its step: the second press of a double click comes
// while the first press's run waits, and makes its own step there.
TEST_F(SetValueTest, EveryPressMakesOneStepAndALostReleaseEndsTheRun) {
  Bar clicked(-100, 100, 0);
  AfterSteps(clicked, 1, [&] {
    stepper_.Stop();                                    // first release
    stepper_.Run(port(), clicked, {+1, false, false});  // second press
    stepper_.Stop();                                    // second release
  });
  stepper_.Run(port(), clicked, {+1, false, false});
  EXPECT_EQ(clicked.steps, 2);
  EXPECT_EQ(clicked.Position(), 2);

  Bar bar(-100, 100, 0);
  bar.remote = true;
  // The button is no longer held after the fourth step (the release went elsewhere).
  bar.mayContinue = [](int steps) { return steps < 4; };
  // A press with Shift and the right button during the run: its own step of
  // -10, then the run repeats from it.
  link::SetPumpHook([&, done = false](std::chrono::nanoseconds) mutable {
    // In the run's wait after the second step, not in the wait of its send.
    if (done || bar.steps < 2 || link::ExchangeInProgress()) return;
    done = true;
    stepper_.Run(port(), bar, {-1, true, true});
  });
  stepper_.Run(port(), bar, {+1, false, true});
  EXPECT_FALSE(stepper_.running());
  EXPECT_EQ(bar.steps, 4);
  EXPECT_EQ(bar.Position(), -7);  // 1, 2, -8, -7
  EXPECT_EQ(valve_.requests().size(), 4u);
}

TEST_F(SetValueTest, AFailedSendEndsTheRunAndAPressDuringAnExchangeIsRefused) {
  Bar bar(-100, 100, 0);
  bar.remote = true;
  valve_.server().injectFault(*sim::parseFault("drop@S017+2"));
  EXPECT_THROW(stepper_.Run(port(), bar, {+1, false, true}), link::UsbError);
  EXPECT_FALSE(stepper_.running());
  EXPECT_EQ(bar.steps, 2);
  EXPECT_EQ(reports_.size(), 1u);

  Bar other(-100, 100, 0);
  link::SetPumpHook([&](std::chrono::nanoseconds) { stepper_.Run(port(), other, {+1, false, false}); });
  link::ReadParameter(port(), 2);
  EXPECT_EQ(other.steps, 0);
}

}  // namespace
}  // namespace tvx::remote
