#include "link/receiver.h"

#include "link/port.h"
#include "platform/clock.h"

#include <atomic>

namespace tvx::link {

namespace {
// Set by Execute once its discard of stale bytes is done; Start waits for it.
std::atomic<bool> StaleBytesDiscarded{false};
}  // namespace

Receiver::~Receiver() { Stop(); }

void Receiver::Start() {
  if (thread_.joinable()) return;
  // ReceiverRun is false until Execute has set it; waiting for that here means
  // a shutdown that follows at once still finds the thread inside its loop.
  ReceiverRun.store(false);
  StaleBytesDiscarded.store(false);
  thread_ = std::thread(&Receiver::Execute);
  while (!ReceiverRun.load() || !StaleBytesDiscarded.load()) std::this_thread::yield();
}

void Receiver::Stop(const std::function<void()>& pump) {
  if (!thread_.joinable()) return;
  ReceiverRun.store(false);
  WakeReceiver();
  while (!ReceiverRun.load()) {
    if (pump) pump();
    std::this_thread::yield();
  }
  thread_.join();
}

void Receiver::Execute() {
  ReceiverRun.store(true);

  // Discard whatever is pending from before.
  while (!TryTakePortLock()) platform::SleepOneMillisecond();
  while (ReadPortByte()) {
  }
  ReleasePortLock();
  StaleBytesDiscarded.store(true);

  while (ReceiverRun.load()) {
    if (PortLock.test(std::memory_order_relaxed) || !TryTakePortLock()) {
      platform::SleepOneMillisecond();
      continue;
    }
    const platform::ReadResult read = ReceivePortByte();
    if (read == platform::ReadResult::Byte) {
      std::uint16_t length = ReplyLength.load(std::memory_order_relaxed);
      if (length < ReplyBufferSize) {
        ReplyBuffer[length] = LastByte;
        ReplyLength.store(static_cast<std::uint16_t>(length + 1), std::memory_order_release);
      }
      ReleasePortLock();
      continue;  // drain a burst at full speed
    }
    // Nothing waiting: sleep in the system until a byte comes, the port changes
    // or Stop. A device found gone is not waited on again (it would report its
    // hang-up at once, for ever) until a port is opened anew.
    if (read == platform::ReadResult::Failed) LineLost.store(true);
    const bool watch = PortOpen.load(std::memory_order_relaxed) && !LineLost.load();
    const platform::SerialHandle handle = watch ? PortHandle : platform::InvalidSerialHandle();
    ReceiverWaiting.store(true, std::memory_order_release);
    ReceiverSleeps.fetch_add(1, std::memory_order_relaxed);
    ReleasePortLock();
    if (platform::WaitForSerialInput(handle, ReceiverWakeUp()) == platform::WaitResult::Lost)
      LineLost.store(true);  // before the handle may change: HandOverPort waits for the next line
    ReceiverWaiting.store(false, std::memory_order_release);
  }

  ReceiverRun.store(true);  // the acknowledgement the closing window waits for
}

}  // namespace tvx::link
