// Monotonic high-resolution counter and sleeping, as the link needs them.
#pragma once

#include <cstdint>

namespace tvx::platform {

// Ticks per second of the high-resolution performance counter; 0 when the
// system has none.
std::int64_t PerformanceFrequency();
// Current value of the performance counter.
std::int64_t PerformanceCounter();
// A coarser monotonic clock in milliseconds, for systems without the counter.
std::int64_t CoarseMilliseconds();
// Sleeps the calling thread for about one millisecond.
void SleepOneMillisecond();

// Lowers the calling thread's timer slack to the least the system allows, so
// that its timed sleeps end within tens of microseconds of their time instead
// of the default 50 us later on top (Linux; nothing elsewhere).
void LowerTimerSlack();
// Sleeps the calling thread until the performance counter reaches `counter`,
// give or take the system's wake-up latency. Returns at once for a past time.
void SleepUntilCounter(std::int64_t counter);
// Tells the processor that the caller is spinning.
void CpuRelax();

}  // namespace tvx::platform
