#include "link/pump_wait.h"

#include "platform/clock.h"

#include <cstdint>

namespace tvx::link {

namespace {
std::function<void()>& Hook() {
  static std::function<void()> hook;
  return hook;
}
}  // namespace

void SetPumpHook(std::function<void()> hook) { Hook() = std::move(hook); }

void PumpMessages() {
  if (Hook()) Hook()();
}

void PumpWait(unsigned milliseconds) {
  const std::int64_t frequency = platform::PerformanceFrequency();
  if (frequency != 0) {
    const std::int64_t start = platform::PerformanceCounter();
    const std::int64_t deadline = start + static_cast<std::int64_t>(milliseconds) * frequency / 1000;
    do {
      PumpMessages();
    } while (platform::PerformanceCounter() < deadline);
  } else {
    const std::int64_t deadline = platform::CoarseMilliseconds() + milliseconds;
    do {
      PumpMessages();
    } while (platform::CoarseMilliseconds() < deadline);
  }
}

}  // namespace tvx::link
