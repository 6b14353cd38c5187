#include "link/port.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "platform/port_names.h"

#include <cerrno>
#include <thread>

namespace tvx::link {

namespace {
// The handle is about to change (the caller holds PortLock): get the Receiver
// out of its wait on the old one, and have it look at the new one.
void HandOverPort(Port& port) {
  WakeReceiver(port);
  while (port.ReceiverWaiting.load(std::memory_order_acquire)) std::this_thread::yield();
}
}  // namespace

Port::~Port() {
  if (PortHandle != platform::InvalidSerialHandle()) platform::CloseSerialDevice(PortHandle);
}

void WakeReceiver(Port& port) { port.ReceiverWakeUp.wake(); }

void TakePortLock(Port& port) {
  while (port.PortLock.test_and_set(std::memory_order_acquire)) {
    // spin: the holder is inside one single-byte call
  }
}

bool TryTakePortLock(Port& port) { return !port.PortLock.test_and_set(std::memory_order_acquire); }

void ReleasePortLock(Port& port) { port.PortLock.clear(std::memory_order_release); }

void ShowPortIndicator(Port& port, bool open) {
  if (port.PortIndicatorHook) port.PortIndicatorHook(open);
}

std::string PortUnavailableText(int portNumber) {
  return " Port szeregowy COM" + std::to_string(portNumber) + " niedostępny!   ";
}

bool OpenPort(Port& port, int portNumber, bool* unavailable) {
  HandOverPort(port);
  port.OpenFailure = {};
  platform::SerialHandle handle = platform::OpenSerialDevice(platform::ComDeviceName(portNumber), &port.OpenFailure);
  bool ok = false;
  if (handle != platform::InvalidSerialHandle()) {
    platform::LineSettings settings;
    ok = platform::SetSerialQueueSizes(handle, InputQueueSize, OutputQueueSize) &&
         platform::GetLineSettings(handle, settings);
    if (ok) {
      platform::ApplyValveLineSettings(settings);
      ok = platform::SetLineSettings(handle, settings) && platform::SetImmediateReadTimeouts(handle);
    }
    if (!ok) {
      port.OpenFailure = {platform::SerialOpenFault::Other, errno};
      // Do not leave the port around with settings the valve cannot talk on.
      platform::CloseSerialDevice(handle);
      handle = platform::InvalidSerialHandle();
    }
  }
  // A device that opens but takes no line settings (no serial line, or one
  // whose driver fails) is as unusable as one that does not open.
  if (unavailable) *unavailable = !ok;
  port.PortHandle = handle;
  port.LineLost.store(false);
  port.PortOpen.store(ok);
  ForgetLoggedValve();
  ShowPortIndicator(port, ok);
  return ok;
}

void ReportPortUnavailable(int portNumber) { ReportError(PortUnavailableText(portNumber), PortUnavailableCaption); }

void ClosePort(Port& port) {
  HandOverPort(port);
  platform::CloseSerialDevice(port.PortHandle);
  port.PortHandle = platform::InvalidSerialHandle();
  port.LineLost.store(false);
  port.PortOpen.store(false);
  ForgetLoggedValve();
  ShowPortIndicator(port, false);
}

void ClosePortHandle(Port& port) {
  PortLockGuard lock(port);
  HandOverPort(port);
  platform::CloseSerialDevice(port.PortHandle);
  port.PortHandle = platform::InvalidSerialHandle();
  port.LineLost.store(false);
  port.PortOpen.store(false);
}

platform::ReadResult ReceivePortByte(Port& port) {
  if (!port.PortOpen.load(std::memory_order_relaxed)) return platform::ReadResult::NoByte;
  std::uint8_t byte = 0;
  const platform::ReadResult result = platform::ReadSerialByte(port.PortHandle, byte);
  if (result == platform::ReadResult::Byte) port.LastByte = byte;
  return result;
}

bool PortLost(const Port& port) { return port.PortOpen.load() && port.LineLost.load(); }

bool ReadPortByte(Port& port) { return ReceivePortByte(port) == platform::ReadResult::Byte; }

void WritePortByte(Port& port, std::uint8_t byte) {
  if (!port.PortOpen.load()) return;
  PortLockGuard lock(port);
  if (port.PortOpen.load(std::memory_order_relaxed)) platform::WriteSerialByte(port.PortHandle, byte);
}

void ResetReplyBuffer(Port& port) {
  if (!port.PortOpen.load()) {
    port.ReplyLength.store(0, std::memory_order_release);
    return;
  }
  PortLockGuard lock(port);
  port.ReplyLength.store(0, std::memory_order_release);
}

}  // namespace tvx::link
