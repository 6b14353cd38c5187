// Driving the valve with a set value from the tool: the send button's four
// forms, the markers over the set-value bar and the stepper of the remote
// group. No widgets: the main window hands in what was pressed and the text
// of its set-value label, and lends the stepper its bar through
// StepperControls.
#pragma once

#include "link/port.h"

#include <chrono>
#include <optional>
#include <string_view>

namespace tvx::remote {

// When the last set value that restarted the valve's trace recorder was sent
// (the chart waits for that recording to be complete); nothing before.
extern std::optional<std::chrono::steady_clock::time_point> RecorderStartTime;

// How the send button was released.
struct SendPress {
  bool rightButton = false;  // zero the set value first
  bool ctrlOnly = false;     // exactly Ctrl held: the recorder keeps running
};

// Sends the set value shown in `setValueText` (the program's own text, "." or
// "," as separator). The right button first sends 0.0 with the
// recorder-restarting command and pauses 100 ms. True when the value itself
// went with the recorder-restarting command: the recording starts now, and
// RecorderStartTime says so.
bool SendSetValue(link::Port& port, const SendPress& press, std::string_view setValueText);

// The markers over the bar: the bar's minimum, its middle (halved toward zero)
// and its maximum.
enum class Marker { Low, Mid, High };
int MarkerPosition(Marker marker, int barMin, int barMax);

// What the stepper works on.
class StepperControls {
 public:
  virtual ~StepperControls() = default;
  virtual int Position() const = 0;
  // The bar holds the position within its range.
  virtual void SetPosition(int position) = 0;
  virtual bool RemoteOn() const = 0;
  // The set-value label's text after the bar moved.
  virtual std::string_view SetValueText() const = 0;
  // Switches the periodic status refresh off before a send.
  virtual void StopRefresh() = 0;
  // The run may go on: the button that started it is still held and the
  // window is shown and not closing.
  virtual bool MayContinue() const = 0;
};

// The button and keys of the press that starts a run, sampled once.
struct StepperPress {
  int direction = 0;   // +1 left button, -1 right button, 0 any other
  bool shift = false;  // 10 positions a step
  bool ctrl = false;   // send every step while remote control is on
};

// The first pause between steps and how each following one shortens: 250,
// 230, ... 30, 10, 10 ... ms.
inline constexpr unsigned FirstStepDelayMs = 250;
unsigned NextStepDelay(unsigned delayMs);

// Steps the bar with accelerating auto-repeat until Stop() (the mouse-up), a
// failed send, or until the controls no longer allow it. Every press makes
// one step: a press while a run waits (a double click) makes its step at once
// and the run's repeat starts over from it. A press while an exchange waits
// does nothing.
class Stepper {
 public:
  bool running() const { return running_; }
  void Run(link::Port& port, StepperControls& controls, const StepperPress& press);
  void Stop() { stop_ = true; }

 private:
  void Step(link::Port& port, StepperControls& controls, const StepperPress& press);

  bool running_ = false;
  bool stop_ = false;
  bool pressedAgain_ = false;
};

}  // namespace tvx::remote
