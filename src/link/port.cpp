#include "link/port.h"

#include "link/comm_error.h"
#include "platform/port_names.h"

namespace tvx::link {

platform::SerialHandle PortHandle = platform::InvalidSerialHandle();
std::atomic<bool> PortOpen{false};
std::atomic_flag PortLock;  // clear (free) at start
std::uint8_t ReplyBuffer[ReplyBufferSize];
std::atomic<std::uint16_t> ReplyLength{0};
std::atomic<bool> ReceiverRun{false};
std::uint8_t LastByte = 0;

namespace {
std::function<void(bool)>& IndicatorHook() {
  static std::function<void(bool)> hook;
  return hook;
}
}  // namespace

void TakePortLock() {
  while (PortLock.test_and_set(std::memory_order_acquire)) {
    // spin: the holder is inside one single-byte call
  }
}

bool TryTakePortLock() { return !PortLock.test_and_set(std::memory_order_acquire); }

void ReleasePortLock() { PortLock.clear(std::memory_order_release); }

void SetPortIndicatorHook(std::function<void(bool open)> hook) { IndicatorHook() = std::move(hook); }

void ShowPortIndicator(bool open) {
  if (IndicatorHook()) IndicatorHook()(open);
}

std::string PortUnavailableText(int portNumber) {
  return " Port szeregowy COM" + std::to_string(portNumber) + " niedostępny!   ";
}

bool OpenPort(int portNumber) {
  platform::SerialHandle handle = platform::OpenSerialDevice(platform::ComDeviceName(portNumber));
  bool ok = false;
  if (handle == platform::InvalidSerialHandle()) {
    ReportError(PortUnavailableText(portNumber), PortUnavailableCaption);
  } else {
    platform::LineSettings settings;
    ok = platform::SetSerialQueueSizes(handle, InputQueueSize, OutputQueueSize) &&
         platform::GetLineSettings(handle, settings);
    if (ok) {
      platform::ApplyValveLineSettings(settings);
      ok = platform::SetLineSettings(handle, settings) && platform::SetImmediateReadTimeouts(handle);
    }
    if (!ok) {
      // Do not leave the port around with settings the valve cannot talk on.
      platform::CloseSerialDevice(handle);
      handle = platform::InvalidSerialHandle();
    }
  }
  PortHandle = handle;
  PortOpen.store(ok);
  ShowPortIndicator(ok);
  return ok;
}

void ClosePort() {
  platform::CloseSerialDevice(PortHandle);
  PortHandle = platform::InvalidSerialHandle();
  PortOpen.store(false);
  ShowPortIndicator(false);
}

void ClosePortHandle() {
  PortLockGuard lock;
  platform::CloseSerialDevice(PortHandle);
  PortHandle = platform::InvalidSerialHandle();
  PortOpen.store(false);
}

bool ReadPortByte() {
  if (!PortOpen.load(std::memory_order_relaxed)) return false;
  std::uint8_t byte = 0;
  if (platform::ReadSerialByte(PortHandle, byte) != platform::ReadResult::Byte) return false;
  LastByte = byte;
  return true;
}

void WritePortByte(std::uint8_t byte) {
  if (!PortOpen.load()) return;
  PortLockGuard lock;
  if (PortOpen.load(std::memory_order_relaxed)) platform::WriteSerialByte(PortHandle, byte);
}

void ResetReplyBuffer() {
  PortLockGuard lock;
  ReplyLength.store(0, std::memory_order_release);
}

}  // namespace tvx::link
