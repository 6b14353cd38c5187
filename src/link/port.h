// The valve's serial port and the reply buffer that the Receiver fills.
//
// One Port per open valve: the window owns one, the command-line tool one per
// command and valve, each link test one. The thread that runs the exchanges
// and the port's Receiver share the handle, the reply buffer and its count;
// PortLock, taken by an atomic test-and-set, serialises every call on the
// handle. What one exchange at a time needs (the busy flag, the hooks told
// when an exchange ends or succeeds) belongs to the port too.
#pragma once

#include "platform/serial_port.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tvx::link {

inline constexpr std::size_t ReplyBufferSize = 2048;
inline constexpr std::uint32_t InputQueueSize = 8192;
inline constexpr std::uint32_t OutputQueueSize = 2048;

// Told of every framed exchange that succeeded, as it ends: the request's
// letter and number, the word sent (W and S frames; none for reads) and the
// word answered. A parameter block read (register 31) counts as a read of
// each parameter register 1 to 128 ('R'). One observer per port.
using ExchangeObserver =
    std::function<void(char letter, int reg, std::optional<std::uint32_t> sent, std::uint32_t answer)>;

struct Port {
  Port() = default;
  ~Port();
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  platform::SerialHandle PortHandle = platform::InvalidSerialHandle();
  std::atomic<bool> PortOpen{false};
  std::atomic_flag PortLock;  // clear (free) at start
  std::uint8_t ReplyBuffer[ReplyBufferSize] = {};
  std::atomic<std::uint16_t> ReplyLength{0};
  std::atomic<bool> ReceiverRun{false};
  std::uint8_t LastByte = 0;

  // ---- between the port and the Receiver -------------------------------------
  // The Receiver sleeps in the system until a byte comes (WaitForSerialInput),
  // outside PortLock. Whoever changes the handle under PortLock first wakes it
  // and waits until it has left that wait, so that it never waits on a handle
  // that is being closed.

  // Set by the Receiver, under PortLock, just before it goes to sleep on the
  // port; cleared as soon as it wakes up.
  std::atomic<bool> ReceiverWaiting{false};
  // How many times the Receiver has gone to sleep so far: a quiet line or a
  // lost device must not make it go round without sleeping.
  std::atomic<std::uint64_t> ReceiverSleeps{0};
  // Set by the Receiver when it finds the open port's device gone; cleared
  // when a port is opened or closed. PortLost() reads it.
  std::atomic<bool> LineLost{false};
  // Set by the Receiver once its discard of stale bytes is done; Start waits for it.
  std::atomic<bool> StaleBytesDiscarded{false};
  // Wakes the Receiver's wait (Stop, a new port).
  platform::SerialWakeUp ReceiverWakeUp;

  // Why the last OpenPort failed (fault None when it did not).
  platform::SerialOpenFailure OpenFailure;

  // Shows the port state (green "R&ozłącz" when open, red "&Połącz" when
  // closed). The window installs its SetPortIndicator.
  std::function<void(bool open)> PortIndicatorHook;

  // ---- the exchanges (link/exchanges.h) ----------------------------------------
  // True from the moment an exchange resets the reply buffer until it returns.
  bool Busy = false;
  // Called each time an exchange has ended, also by an error.
  std::function<void()> ExchangeEndHook;
  ExchangeObserver Observer;
};

// Taking the lock. The exchanging thread spins without sleeping (the lock is
// only ever held for one single-byte call); the Receiver sleeps 1 ms between
// attempts.
void TakePortLock(Port& port);
bool TryTakePortLock(Port& port);
void ReleasePortLock(Port& port);

class PortLockGuard {
 public:
  explicit PortLockGuard(Port& port) : port_(port) { TakePortLock(port_); }
  ~PortLockGuard() { ReleasePortLock(port_); }
  PortLockGuard(const PortLockGuard&) = delete;
  PortLockGuard& operator=(const PortLockGuard&) = delete;

 private:
  Port& port_;
};

void ShowPortIndicator(Port& port, bool open);

// The message shown when the device cannot be opened.
std::string PortUnavailableText(int portNumber);
inline constexpr const char* PortUnavailableCaption = " Informacja o błędzie";

// Opens COMn with the valve's line settings; the caller holds PortLock. A
// configuration step that fails ends the sequence and closes the handle.
// Stores the result in PortOpen and shows it on the indicator. Nothing is
// reported here, since no message box may open while PortLock is held:
// `unavailable` tells the caller that the port cannot be used (the device did
// not open, or took no line settings), which it reports with
// ReportPortUnavailable once the lock is released.
bool OpenPort(Port& port, int portNumber, bool* unavailable = nullptr);
// The "port unavailable" message through the error reporter.
void ReportPortUnavailable(int portNumber);

// Closes the handle and marks the port closed; the caller holds PortLock.
void ClosePort(Port& port);

// Closes the handle whatever its state (used when the program ends).
void ClosePortHandle(Port& port);

// Reads one waiting byte into LastByte; false when the port is closed, the
// read fails or nothing is waiting. Never waits. The caller holds PortLock.
bool ReadPortByte(Port& port);

// True while the port is open but its device is gone: the tty reported a
// hang-up or an error, or a read from it failed (POSIX: POLLHUP, POLLERR or EIO,
// as after a USB unplug and on a pty whose other side has closed; Windows: the
// errors ReadFile, ClearCommError or WaitCommEvent give after a surprise
// removal). The Receiver sets it within moments of the loss, whether or not an
// exchange is under way; an exchange on such a port ends as every failed one
// does (timeout, one CommError). A port that is there but silent (a valve that
// does not answer) is not lost. Cleared by OpenPort and ClosePort. Any thread.
bool PortLost(const Port& port);

// Writes one byte when the port is open, taking PortLock around the call.
void WritePortByte(Port& port, std::uint8_t byte);

// ReplyLength := 0, under PortLock while the port is open. With the port
// closed the Receiver appends nothing, so the lock is not taken: it may be
// held further up the stack by the connect sequence.
void ResetReplyBuffer(Port& port);

// Wakes the Receiver's wait (Stop, a new port).
void WakeReceiver(Port& port);

// Reads one waiting byte into LastByte, telling apart "nothing waiting" and "the
// read failed". The caller holds PortLock.
platform::ReadResult ReceivePortByte(Port& port);

}  // namespace tvx::link
