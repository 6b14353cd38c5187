#include "platform/wake_timer.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace tvx::platform {

#ifdef _WIN32

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

WakeTimer::WakeTimer() {
  // An auto-reset timer: whoever waits on it takes the signal.
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
  if (!timer) timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  native_ = timer ? reinterpret_cast<std::intptr_t>(timer) : -1;
}

WakeTimer::~WakeTimer() {
  if (valid()) CloseHandle(reinterpret_cast<HANDLE>(native_));
}

void WakeTimer::arm(std::chrono::nanoseconds fromNow) {
  if (!valid()) return;
  LARGE_INTEGER due;
  due.QuadPart = -std::max<std::int64_t>(1, fromNow.count() / 100);  // relative, in 100 ns
  SetWaitableTimer(reinterpret_cast<HANDLE>(native_), &due, 0, nullptr, nullptr, FALSE);
}

void WakeTimer::disarm() {
  if (!valid()) return;
  CancelWaitableTimer(reinterpret_cast<HANDLE>(native_));
  WaitForSingleObject(reinterpret_cast<HANDLE>(native_), 0);  // takes a signal nobody took
}

#else

WakeTimer::WakeTimer() { native_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC); }

WakeTimer::~WakeTimer() {
  if (valid()) ::close(static_cast<int>(native_));
}

void WakeTimer::arm(std::chrono::nanoseconds fromNow) {
  if (!valid()) return;
  const std::int64_t ns = std::max<std::int64_t>(1, fromNow.count());  // 0 would stop it
  itimerspec setting{};
  setting.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
  setting.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
  ::timerfd_settime(static_cast<int>(native_), 0, &setting, nullptr);
}

void WakeTimer::disarm() {
  if (!valid()) return;
  itimerspec stop{};
  ::timerfd_settime(static_cast<int>(native_), 0, &stop, nullptr);
  std::uint64_t expirations = 0;
  [[maybe_unused]] ssize_t n = ::read(static_cast<int>(native_), &expirations, sizeof expirations);
}

#endif

}  // namespace tvx::platform
