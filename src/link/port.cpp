#include "link/port.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "platform/port_names.h"

#include <cerrno>
#include <thread>

namespace tvx::link {

platform::SerialHandle PortHandle = platform::InvalidSerialHandle();
std::atomic<bool> PortOpen{false};
std::atomic_flag PortLock;  // clear (free) at start
std::uint8_t ReplyBuffer[ReplyBufferSize];
std::atomic<std::uint16_t> ReplyLength{0};
std::atomic<bool> ReceiverRun{false};
std::uint8_t LastByte = 0;
std::atomic<bool> ReceiverWaiting{false};
std::atomic<std::uint64_t> ReceiverSleeps{0};
std::atomic<bool> LineLost{false};

namespace {
std::function<void(bool)>& IndicatorHook() {
  static std::function<void(bool)> hook;
  return hook;
}

// The handle is about to change (the caller holds PortLock): get the Receiver
// out of its wait on the old one, and have it look at the new one.
void HandOverPort() {
  WakeReceiver();
  while (ReceiverWaiting.load(std::memory_order_acquire)) std::this_thread::yield();
}
}  // namespace

platform::SerialWakeUp& ReceiverWakeUp() {
  static platform::SerialWakeUp wakeUp;
  return wakeUp;
}

void WakeReceiver() { ReceiverWakeUp().wake(); }

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

namespace {
platform::SerialOpenFailure& OpenFailure() {
  static platform::SerialOpenFailure failure;
  return failure;
}
}  // namespace

platform::SerialOpenFailure LastOpenFailure() { return OpenFailure(); }

bool OpenPort(int portNumber, bool* unavailable) {
  HandOverPort();
  OpenFailure() = {};
  platform::SerialHandle handle = platform::OpenSerialDevice(platform::ComDeviceName(portNumber), &OpenFailure());
  bool ok = false;
  if (unavailable) *unavailable = handle == platform::InvalidSerialHandle();
  if (handle != platform::InvalidSerialHandle()) {
    platform::LineSettings settings;
    ok = platform::SetSerialQueueSizes(handle, InputQueueSize, OutputQueueSize) &&
         platform::GetLineSettings(handle, settings);
    if (ok) {
      platform::ApplyValveLineSettings(settings);
      ok = platform::SetLineSettings(handle, settings) && platform::SetImmediateReadTimeouts(handle);
    }
    if (!ok) {
      OpenFailure() = {platform::SerialOpenFault::Other, errno};
      // Do not leave the port around with settings the valve cannot talk on.
      platform::CloseSerialDevice(handle);
      handle = platform::InvalidSerialHandle();
    }
  }
  PortHandle = handle;
  LineLost.store(false);
  PortOpen.store(ok);
  ForgetLoggedValve();
  ShowPortIndicator(ok);
  return ok;
}

void ReportPortUnavailable(int portNumber) { ReportError(PortUnavailableText(portNumber), PortUnavailableCaption); }

void ClosePort() {
  HandOverPort();
  platform::CloseSerialDevice(PortHandle);
  PortHandle = platform::InvalidSerialHandle();
  LineLost.store(false);
  PortOpen.store(false);
  ForgetLoggedValve();
  ShowPortIndicator(false);
}

void ClosePortHandle() {
  PortLockGuard lock;
  HandOverPort();
  platform::CloseSerialDevice(PortHandle);
  PortHandle = platform::InvalidSerialHandle();
  LineLost.store(false);
  PortOpen.store(false);
}

platform::ReadResult ReceivePortByte() {
  if (!PortOpen.load(std::memory_order_relaxed)) return platform::ReadResult::NoByte;
  std::uint8_t byte = 0;
  const platform::ReadResult result = platform::ReadSerialByte(PortHandle, byte);
  if (result == platform::ReadResult::Byte) LastByte = byte;
  return result;
}

bool PortLost() { return PortOpen.load() && LineLost.load(); }

bool ReadPortByte() { return ReceivePortByte() == platform::ReadResult::Byte; }

void WritePortByte(std::uint8_t byte) {
  if (!PortOpen.load()) return;
  PortLockGuard lock;
  if (PortOpen.load(std::memory_order_relaxed)) platform::WriteSerialByte(PortHandle, byte);
}

void ResetReplyBuffer() {
  if (!PortOpen.load()) {
    ReplyLength.store(0, std::memory_order_release);
    return;
  }
  PortLockGuard lock;
  ReplyLength.store(0, std::memory_order_release);
}

}  // namespace tvx::link
