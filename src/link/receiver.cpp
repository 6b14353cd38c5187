#include "link/receiver.h"

#include "link/port.h"
#include "platform/clock.h"

#include <atomic>

namespace tvx::link {

Receiver::~Receiver() { Stop(); }

void Receiver::Start() {
  if (thread_.joinable()) return;
  // ReceiverRun is false until Execute has set it; waiting for that here means
  // a shutdown that follows at once still finds the thread inside its loop.
  port_.ReceiverRun.store(false);
  port_.StaleBytesDiscarded.store(false);
  thread_ = std::thread(&Receiver::Execute, std::ref(port_));
  while (!port_.ReceiverRun.load() || !port_.StaleBytesDiscarded.load()) std::this_thread::yield();
}

void Receiver::Stop(const std::function<void()>& pump) {
  if (!thread_.joinable()) return;
  port_.ReceiverRun.store(false);
  WakeReceiver(port_);
  while (!port_.ReceiverRun.load()) {
    if (pump) pump();
    std::this_thread::yield();
  }
  thread_.join();
}

void Receiver::Execute(Port& port) {
  port.ReceiverRun.store(true);

  // Discard whatever is pending from before.
  while (!TryTakePortLock(port)) platform::SleepOneMillisecond();
  while (ReadPortByte(port)) {
  }
  ReleasePortLock(port);
  port.StaleBytesDiscarded.store(true);

  while (port.ReceiverRun.load()) {
    if (port.PortLock.test(std::memory_order_relaxed) || !TryTakePortLock(port)) {
      platform::SleepOneMillisecond();
      continue;
    }
    const platform::ReadResult read = ReceivePortByte(port);
    if (read == platform::ReadResult::Byte) {
      std::uint16_t length = port.ReplyLength.load(std::memory_order_relaxed);
      if (length < ReplyBufferSize) {
        port.ReplyBuffer[length] = port.LastByte;
        port.ReplyLength.store(static_cast<std::uint16_t>(length + 1), std::memory_order_release);
      }
      ReleasePortLock(port);
      continue;  // drain a burst at full speed
    }
    // Nothing waiting: sleep in the system until a byte comes, the port changes
    // or Stop. A device found gone is not waited on again (it would report its
    // hang-up at once, for ever) until a port is opened anew.
    if (read == platform::ReadResult::Failed) port.LineLost.store(true);
    const bool watch = port.PortOpen.load(std::memory_order_relaxed) && !port.LineLost.load();
    const platform::SerialHandle handle = watch ? port.PortHandle : platform::InvalidSerialHandle();
    port.ReceiverWaiting.store(true, std::memory_order_release);
    port.ReceiverSleeps.fetch_add(1, std::memory_order_relaxed);
    ReleasePortLock(port);
    if (platform::WaitForSerialInput(handle, port.ReceiverWakeUp) == platform::WaitResult::Lost)
      port.LineLost.store(true);  // before the handle may change: HandOverPort waits for the next line
    port.ReceiverWaiting.store(false, std::memory_order_release);
  }

  port.ReceiverRun.store(true);  // the acknowledgement the closing window waits for
}

}  // namespace tvx::link
