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

bool SendSetValue(const SendPress& press, std::string_view setValueText) {
  if (press.rightButton) {
    link::SendCommand(params::cmd::SetValue, params::FloatToWord(0.0f));
    link::PumpWait(ZeroPauseMs);
  }
  const std::uint32_t word = ValueWord(setValueText);
  if (press.ctrlOnly) {
    link::SendCommand(params::cmd::SetValueKeepRecorder, word);
    return false;
  }
  link::SendCommand(params::cmd::SetValue, word);
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

void Stepper::Run(StepperControls& controls, const StepperPress& press) {
  // A nested run would hold up the waiting exchange (or the running stepper)
  // until it ended.
  if (running_ || link::ExchangeInProgress()) return;
  running_ = true;
  stop_ = false;
  const int step = press.direction * (press.shift ? ShiftStep : 1);
  unsigned delay = FirstStepDelayMs;
  try {
    while (!stop_) {
      controls.SetPosition(controls.Position() + step);
      if (press.ctrl && controls.RemoteOn()) {
        controls.StopRefresh();
        link::SendCommand(params::cmd::SetValueKeepRecorder, ValueWord(controls.SetValueText()));
      }
      link::PumpWait(delay);
      delay = NextStepDelay(delay);
      if (!controls.MayContinue()) break;
    }
  } catch (...) {
    running_ = false;
    throw;
  }
  running_ = false;
}

}  // namespace tvx::remote
