// A system timer object that the program's event loop can watch, to end its
// wait at a precise time without a helper thread: a timerfd on Linux (readable
// when due), a high-resolution waitable timer on Windows (signalled when due).
// Kernel timers of this kind fire within microseconds, with no timer slack.
#pragma once

#include <chrono>
#include <cstdint>

namespace tvx::platform {

class WakeTimer {
 public:
  WakeTimer();
  ~WakeTimer();
  WakeTimer(const WakeTimer&) = delete;
  WakeTimer& operator=(const WakeTimer&) = delete;

  bool valid() const { return native_ != -1 && native_ != 0; }
  // What to watch: a file descriptor (readable when due) on Linux, an event
  // HANDLE (signalled when due) on Windows.
  std::intptr_t waitHandle() const { return native_; }

  void arm(std::chrono::nanoseconds fromNow);
  // Stops it, and takes back a signal it has given and nobody has taken.
  void disarm();

 private:
  std::intptr_t native_ = -1;
};

}  // namespace tvx::platform
