// PumpWait: the waiting primitive of every exchange. It returns no earlier than
// its deadline on the performance counter and keeps processing the program's
// messages meanwhile through a registered pump hook, so clicks and timer ticks
// run while an exchange waits. Between messages it sleeps: the hook waits in
// the program's event loop for at most the time left, and PumpWait spins only
// the last few tens of microseconds, so a wait costs next to no CPU and still
// ends on time.
#pragma once

#include "platform/wake_timer.h"

#include <chrono>
#include <functional>

namespace tvx::link {

// Processes the program's pending messages. With `maxWait` above zero it may
// also wait for messages to come, processing them, but returns no later than
// `maxWait` from now (give or take the system's wake-up latency); it may return
// earlier, for example after one message. With zero it never waits.
using PumpHook = std::function<void(std::chrono::nanoseconds maxWait)>;

// The hook of the calling thread (each thread that exchanges with a valve
// waits in its own way).
void SetPumpHook(PumpHook hook);
// Processes pending messages once, without waiting (no-op without a hook).
void PumpMessages();
void PumpWait(unsigned milliseconds);

// A precise wake-up for pump hooks: a system timer that the program's event
// loop watches (its wait handle), armed with the time the hook may wait and
// disarmed when the wait is over.
using PumpTimer = platform::WakeTimer;

}  // namespace tvx::link
