// PumpWait: the waiting primitive of every exchange. It returns no earlier than
// its deadline on the performance counter and keeps processing the program's
// messages meanwhile through a registered pump hook, so clicks and timer ticks
// run while an exchange waits. Between messages it sleeps: the hook waits in
// the program's event loop for at most the time left, and PumpWait spins only
// the last few tens of microseconds, so a wait costs next to no CPU and still
// ends on time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tvx::link {

// Processes the program's pending messages. With `maxWait` above zero it may
// also wait for messages to come, processing them, but returns no later than
// `maxWait` from now (give or take the system's wake-up latency); it may return
// earlier, for example after one message. With zero it never waits.
using PumpHook = std::function<void(std::chrono::nanoseconds maxWait)>;

void SetPumpHook(PumpHook hook);
// Processes pending messages once, without waiting (no-op without a hook).
void PumpMessages();
void PumpWait(unsigned milliseconds);

// A wake-up call at a precise time, for pump hooks whose event loop can only
// wait until it is woken: arm() it with the time, wait in the event loop,
// disarm(). `wake` runs on the alarm's own thread and must be thread-safe (for
// example waking the event dispatcher). Sleeps with the timer slack lowered.
class PumpAlarm {
 public:
  explicit PumpAlarm(std::function<void()> wake);
  ~PumpAlarm();
  PumpAlarm(const PumpAlarm&) = delete;
  PumpAlarm& operator=(const PumpAlarm&) = delete;

  void arm(std::chrono::nanoseconds fromNow);
  void disarm();

 private:
  void run();

  std::function<void()> wake_;
  std::mutex mu_;
  std::condition_variable changed_;
  std::int64_t due_ = -1;  // performance counter; -1: not armed
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace tvx::link
