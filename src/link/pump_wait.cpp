#include "link/pump_wait.h"

#include "platform/clock.h"

#include <algorithm>

namespace tvx::link {

namespace {

PumpHook& Hook() {
  static PumpHook hook;
  return hook;
}

// The idle waits come back somewhat after the time they were asked to end (the
// system's wake-up latency, the event loop's own work). PumpWait keeps a running
// average of that lateness and asks them to end that much before its deadline,
// plus a short stretch that it spins on the counter.
constexpr std::int64_t SpinNs = 20'000;
constexpr std::int64_t MaxLatenessNs = 500'000;
std::int64_t LatenessNs = 60'000;  // user-interface thread only

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
    PumpMessages();  // at least once
    for (std::int64_t now = platform::PerformanceCounter(); now < deadline; now = platform::PerformanceCounter()) {
      const std::int64_t wakeAt = deadline - NsToTicks(LatenessNs + SpinNs, frequency);
      if (now >= wakeAt) {
        platform::CpuRelax();
        continue;
      }
      Idle(now, wakeAt, frequency);
      const std::int64_t late = TicksToNs(platform::PerformanceCounter() - wakeAt, frequency);
      if (late > 0) LatenessNs = (7 * LatenessNs + std::min(late, MaxLatenessNs)) / 8;
    }
  } else {
    const std::int64_t deadline = platform::CoarseMilliseconds() + milliseconds;
    PumpMessages();
    for (std::int64_t now = platform::CoarseMilliseconds(); now < deadline; now = platform::CoarseMilliseconds()) {
      if (Hook()) Hook()(std::chrono::milliseconds(deadline - now));
      else platform::SleepOneMillisecond();
    }
  }
}

PumpAlarm::PumpAlarm(std::function<void()> wake) : wake_(std::move(wake)), thread_([this] { run(); }) {}

PumpAlarm::~PumpAlarm() {
  {
    std::lock_guard lock(mu_);
    quit_ = true;
  }
  changed_.notify_one();
  thread_.join();
}

void PumpAlarm::arm(std::chrono::nanoseconds fromNow) {
  const std::int64_t frequency = platform::PerformanceFrequency();
  const std::int64_t due =
      platform::PerformanceCounter() + (frequency ? NsToTicks(fromNow.count(), frequency) : 0);
  {
    std::lock_guard lock(mu_);
    due_ = due;
  }
  changed_.notify_one();
}

void PumpAlarm::disarm() {
  std::lock_guard lock(mu_);
  due_ = -1;
}

void PumpAlarm::run() {
  platform::LowerTimerSlack();
  const std::int64_t frequency = platform::PerformanceFrequency();
  std::unique_lock lock(mu_);
  for (;;) {
    changed_.wait(lock, [&] { return quit_ || due_ >= 0; });
    if (quit_) return;
    const std::int64_t due = due_;
    const std::int64_t left = frequency ? TicksToNs(due - platform::PerformanceCounter(), frequency) : 0;
    if (left > 2'000'000) {
      // Far off: a wait that a new time or the end can interrupt, then look again.
      changed_.wait_for(lock, std::chrono::nanoseconds(left - 1'000'000));
      continue;
    }
    // The last stretch: a precise sleep, then the call unless it was called off.
    lock.unlock();
    platform::SleepUntilCounter(due);
    lock.lock();
    if (due_ == due) {
      due_ = -1;
      lock.unlock();
      wake_();
      lock.lock();
    }
  }
}

}  // namespace tvx::link
