#include "link/pump_wait.h"

#include "platform/clock.h"

#include <algorithm>

namespace tvx::link {

namespace {

// Each thread that exchanges with a valve pumps its own messages.
PumpHook& Hook() {
  thread_local PumpHook hook;
  return hook;
}

// The idle waits come back somewhat after the time they were asked to end (the
// system's wake-up latency, the event loop's own work). PumpWait keeps a running
// average of that lateness and asks them to end that much before its deadline,
// plus a short stretch that it spins on the counter.
constexpr std::int64_t SpinNs = 10'000;
constexpr std::int64_t MaxLatenessNs = 500'000;
thread_local std::int64_t LatenessNs = 60'000;

std::int64_t TicksToNs(std::int64_t ticks, std::int64_t frequency) {
  return frequency == 1'000'000'000 ? ticks : ticks * 1'000'000'000 / frequency;
}

std::int64_t NsToTicks(std::int64_t ns, std::int64_t frequency) {
  return frequency == 1'000'000'000 ? ns : ns * frequency / 1'000'000'000;
}

void LowerTimerSlackOnce() {
  thread_local bool lowered = false;
  if (!lowered) {
    platform::LowerTimerSlack();
    lowered = true;
  }
}

// Waits until the counter reaches `until`, processing messages meanwhile.
void Idle(std::int64_t now, std::int64_t until, std::int64_t frequency) {
  if (Hook()) Hook()(std::chrono::nanoseconds(TicksToNs(until - now, frequency)));
  else platform::SleepUntilCounter(until);
}

}  // namespace

void SetPumpHook(PumpHook hook) { Hook() = std::move(hook); }

void PumpMessages() {
  if (Hook()) Hook()(std::chrono::nanoseconds::zero());
}

void PumpWait(unsigned milliseconds) {
  LowerTimerSlackOnce();
  const std::int64_t frequency = platform::PerformanceFrequency();
  if (frequency != 0) {
    const std::int64_t start = platform::PerformanceCounter();
    const std::int64_t deadline = start + static_cast<std::int64_t>(milliseconds) * frequency / 1000;
    // Messages are processed at least once: by the first idle wait, or by
    // themselves when there is no time to wait.
    bool pumped = false;
    for (std::int64_t now = start; now < deadline; now = platform::PerformanceCounter()) {
      const std::int64_t wakeAt = deadline - NsToTicks(LatenessNs + SpinNs, frequency);
      if (now >= wakeAt) {
        if (!pumped) PumpMessages();
        pumped = true;
        platform::CpuRelax();
        continue;
      }
      Idle(now, wakeAt, frequency);
      pumped = true;
      const std::int64_t late = TicksToNs(platform::PerformanceCounter() - wakeAt, frequency);
      if (late > 0) LatenessNs = (7 * LatenessNs + std::min(late, MaxLatenessNs)) / 8;
    }
    if (!pumped) PumpMessages();
  } else {
    const std::int64_t deadline = platform::CoarseMilliseconds() + milliseconds;
    PumpMessages();
    for (std::int64_t now = platform::CoarseMilliseconds(); now < deadline; now = platform::CoarseMilliseconds()) {
      if (Hook()) Hook()(std::chrono::milliseconds(deadline - now));
      else platform::SleepOneMillisecond();
    }
  }
}

}  // namespace tvx::link
