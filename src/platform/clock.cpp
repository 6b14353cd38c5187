#include "platform/clock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/prctl.h>
#include <time.h>  // NOLINT(modernize-deprecated-headers): clock_gettime() and clock_nanosleep() are POSIX
#endif

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#include <immintrin.h>
#define TVX_PAUSE() _mm_pause()
#else
#define TVX_PAUSE() ((void)0)
#endif

namespace tvx::platform {

void CpuRelax() { TVX_PAUSE(); }

#ifdef _WIN32

std::int64_t PerformanceFrequency() {
  LARGE_INTEGER f;
  return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
}

std::int64_t PerformanceCounter() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart;
}

std::int64_t CoarseMilliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }

void SleepOneMillisecond() { Sleep(1); }

void LowerTimerSlack() {}

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

void SleepUntilCounter(std::int64_t counter) {
  const std::int64_t frequency = PerformanceFrequency();
  const std::int64_t now = PerformanceCounter();
  if (frequency == 0 || counter <= now) return;
  // A high-resolution waitable timer sleeps to a fraction of a millisecond;
  // Sleep() would round up to the scheduler's 15.6 ms tick.
  thread_local HANDLE timer =
      CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
  const std::int64_t hundredNs = (counter - now) * 10'000'000 / frequency;
  if (timer) {
    LARGE_INTEGER due;
    due.QuadPart = -hundredNs;  // relative
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      WaitForSingleObject(timer, INFINITE);
      return;
    }
  }
  if (hundredNs >= 20'000) Sleep(static_cast<DWORD>(hundredNs / 10'000 - 1));
}

#else

std::int64_t PerformanceFrequency() {
  timespec res{};
  if (clock_getres(CLOCK_MONOTONIC, &res) != 0) return 0;
  return 1'000'000'000;  // the counter is read in nanoseconds
}

std::int64_t PerformanceCounter() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t CoarseMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

void SleepOneMillisecond() {
  timespec t{0, 1'000'000};
  while (nanosleep(&t, &t) != 0) {
  }
}

void LowerTimerSlack() {
#ifdef PR_SET_TIMERSLACK
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

void SleepUntilCounter(std::int64_t counter) {
  // The counter is CLOCK_MONOTONIC in nanoseconds: sleep to that absolute time.
  timespec t{static_cast<time_t>(counter / 1'000'000'000), static_cast<long>(counter % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
  }
}

#endif

}  // namespace tvx::platform
