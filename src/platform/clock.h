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
// Sleeps the calling thread for about one millisecond (the Receiver's pace).
void SleepOneMillisecond();

}  // namespace tvx::platform
