// The valve's serial port and the reply buffer that the Receiver fills.
//
// One instance of each item exists for the whole process: there is one valve
// and one link per run. The user-interface thread and the Receiver share the
// port handle, the reply buffer and its count; PortLock, taken by an atomic
// test-and-set, serialises every call on the handle.
#pragma once

#include "platform/serial_port.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace tvx::link {

inline constexpr std::size_t ReplyBufferSize = 2048;
inline constexpr std::uint32_t InputQueueSize = 8192;
inline constexpr std::uint32_t OutputQueueSize = 2048;

extern platform::SerialHandle PortHandle;
extern std::atomic<bool> PortOpen;
extern std::atomic_flag PortLock;
extern std::uint8_t ReplyBuffer[ReplyBufferSize];
extern std::atomic<std::uint16_t> ReplyLength;
extern std::atomic<bool> ReceiverRun;
extern std::uint8_t LastByte;

// Taking the lock. The user-interface thread spins without sleeping (the lock
// is only ever held for one single-byte call); the Receiver sleeps 1 ms between
// attempts.
void TakePortLock();
bool TryTakePortLock();
void ReleasePortLock();

class PortLockGuard {
 public:
  PortLockGuard() { TakePortLock(); }
  ~PortLockGuard() { ReleasePortLock(); }
  PortLockGuard(const PortLockGuard&) = delete;
  PortLockGuard& operator=(const PortLockGuard&) = delete;
};

// Shows the port state (green "R&ozłącz" when open, red "&Połącz" when closed).
// The program installs the main window's SetPortIndicator.
void SetPortIndicatorHook(std::function<void(bool open)> hook);
void ShowPortIndicator(bool open);

// The message shown when the device cannot be opened.
std::string PortUnavailableText(int portNumber);
inline constexpr const char* PortUnavailableCaption = " Informacja o błędzie";

// Opens COMn with the valve's line settings; the caller holds PortLock. A
// configuration step that fails ends the sequence and closes the handle.
// Stores the result in PortOpen and shows it on the indicator. Nothing is
// reported here, since no message box may open while PortLock is held:
// `unavailable` tells the caller that the device could not be opened, which
// it reports with ReportPortUnavailable once the lock is released.
bool OpenPort(int portNumber, bool* unavailable = nullptr);
// Why the last OpenPort failed (fault None when it did not).
platform::SerialOpenFailure LastOpenFailure();
// The "port unavailable" message through the error reporter.
void ReportPortUnavailable(int portNumber);

// Closes the handle and marks the port closed; the caller holds PortLock.
void ClosePort();

// Closes the handle whatever its state (used when the program ends).
void ClosePortHandle();

// Reads one waiting byte into LastByte; false when the port is closed, the
// read fails or nothing is waiting. Never waits. The caller holds PortLock.
bool ReadPortByte();

// True while the port is open but its device is gone: the tty reported a
// hang-up or an error, or a read from it failed (POSIX: POLLHUP, POLLERR or EIO,
// as after a USB unplug and on a pty whose other side has closed; Windows: the
// errors ReadFile, ClearCommError or WaitCommEvent give after a surprise
// removal). The Receiver sets it within moments of the loss, whether or not an
// exchange is under way; an exchange on such a port ends as every failed one
// does (timeout, one CommError). A port that is there but silent (a valve that
// does not answer) is not lost. Cleared by OpenPort and ClosePort. Any thread.
bool PortLost();

// Writes one byte when the port is open, taking PortLock around the call.
void WritePortByte(std::uint8_t byte);

// ReplyLength := 0, under PortLock while the port is open. With the port
// closed the Receiver appends nothing, so the lock is not taken: it may be
// held further up the stack by the connect sequence.
void ResetReplyBuffer();

// ---- between the port and the Receiver ---------------------------------------
// The Receiver sleeps in the system until a byte comes (WaitForSerialInput),
// outside PortLock. Whoever changes the handle under PortLock first wakes it
// and waits until it has left that wait, so that it never waits on a handle
// that is being closed.

// Set by the Receiver, under PortLock, just before it goes to sleep on the port;
// cleared as soon as it wakes up.
extern std::atomic<bool> ReceiverWaiting;
// How many times the Receiver has gone to sleep so far: a quiet line or a lost
// device must not make it go round without sleeping.
extern std::atomic<std::uint64_t> ReceiverSleeps;
// Wakes the Receiver's wait (Stop, a new port).
void WakeReceiver();
platform::SerialWakeUp& ReceiverWakeUp();

// Reads one waiting byte into LastByte, telling apart "nothing waiting" and "the
// read failed". The caller holds PortLock.
platform::ReadResult ReceivePortByte();

// Set by the Receiver when it finds the open port's device gone; cleared when
// a port is opened or closed. PortLost() reads it.
extern std::atomic<bool> LineLost;

}  // namespace tvx::link
