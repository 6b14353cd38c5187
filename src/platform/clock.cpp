#include "platform/clock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace tvx::platform {

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

#endif

}  // namespace tvx::platform
