#include "remote/set_value.h"

#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "params/conversions.h"
#include "params/register_map.h"

namespace tvx::remote {

namespace {

constexpr unsigned ZeroPauseMs = 100;
constexpr unsigned DelayStepMs = 20;
constexpr int ShiftStep = 10;

std::uint32_t ValueWord(std::string_view text) { return params::FloatToWord(params::ParseSingle(text)); }

}  // namespace

std::optional<std::chrono::steady_clock::time_point> RecorderStartTime;

bool SendSetValue(link::Port& port, const SendPress& press, std::string_view setValueText) {
  if (press.rightButton) {
    link::SendCommand(port, params::cmd::SetValue, params::FloatToWord(0.0f));
    link::PumpWait(ZeroPauseMs);
  }
  const std::uint32_t word = ValueWord(setValueText);
  if (press.ctrlOnly) {
    link::SendCommand(port, params::cmd::SetValueKeepRecorder, word);
    return false;
  }
  link::SendCommand(port, params::cmd::SetValue, word);
  RecorderStartTime = std::chrono::steady_clock::now();
  return true;
}

int MarkerPosition(Marker marker, int barMin, int barMax) {
  switch (marker) {
    case Marker::Low: return barMin;
    case Marker::Mid: return barMin + (barMax - barMin) / 2;
    case Marker::High: break;
  }
  return barMax;
}

unsigned NextStepDelay(unsigned delayMs) { return delayMs > DelayStepMs ? delayMs - DelayStepMs : delayMs; }

void Stepper::Step(link::Port& port, StepperControls& controls, const StepperPress& press) {
  controls.SetPosition(controls.Position() + press.direction * (press.shift ? ShiftStep : 1));
  if (press.ctrl && controls.RemoteOn()) {
    controls.StopRefresh();
    link::SendCommand(port, params::cmd::SetValueKeepRecorder, ValueWord(controls.SetValueText()));
  }
}

void Stepper::Run(link::Port& port, StepperControls& controls, const StepperPress& press) {
  if (link::ExchangeInProgress()) return;
  if (running_) {
    // A press while the run waits (the second press of a double click) makes
    // its own step at once; the run goes on from it as from a new press.
    stop_ = false;
    pressedAgain_ = true;
    Step(port, controls, press);
    return;
  }
  running_ = true;
  stop_ = false;
  unsigned delay = FirstStepDelayMs;
  bool stepNow = true;
  try {
    while (!stop_) {
      if (stepNow) Step(port, controls, press);
      stepNow = true;
      pressedAgain_ = false;
      link::PumpWait(delay);
      if (pressedAgain_) {
        // That press made its step: the auto-repeat starts over from it.
        delay = FirstStepDelayMs;
        stepNow = false;
      } else {
        delay = NextStepDelay(delay);
      }
      if (!controls.MayContinue()) break;
    }
  } catch (...) {
    running_ = false;
    throw;
  }
  running_ = false;
}

}  // namespace tvx::remote
