// The Receiver thread: moves every byte that arrives from the valve into the
// reply buffer. It never interprets the bytes; the waiting exchange polls the
// count. Between bursts it sleeps in the system until a byte comes, the port
// is opened or closed, or it is stopped; while the port is closed or its
// device is gone it only waits to be woken.
#pragma once

#include "link/port.h"

#include <functional>
#include <thread>

namespace tvx::link {

// One Receiver per Port, bound to it for its whole life.
class Receiver {
 public:
  explicit Receiver(Port& port) : port_(port) {}
  ~Receiver();
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;

  // Creates the thread already running: returns once Execute has started and
  // has discarded what was pending, so that the discard can never eat the
  // reply to an exchange that follows at once. The caller must not hold
  // PortLock.
  void Start();

  // The shutdown handshake: ReceiverRun := false, wake the thread, then process messages
  // (through `pump`) until the thread has set it back to true; then the thread
  // is joined. Safe to call when the thread never started or already ended.
  void Stop(const std::function<void()>& pump = {});

  bool running() const { return thread_.joinable(); }

  // The thread body.
  static void Execute(Port& port);

 private:
  Port& port_;
  std::thread thread_;
};

}  // namespace tvx::link
