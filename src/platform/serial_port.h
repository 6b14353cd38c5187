// The serial device of the valve: opening, line settings, single-byte I/O.
//
// POSIX: a tty opened read/write, without becoming the controlling terminal,
// exclusively (TIOCEXCL and an flock), raw, 115200 baud 8E1, no flow control,
// reads that return at once. Win32: CreateFile on "\\.\COMn", SetupComm,
// Get/SetCommState, SetCommTimeouts, ReadFile/WriteFile of one byte.
#pragma once

#include <cstdint>
#include <string>

namespace tvx::platform {

// An open serial device, opaque to the rest of the program: a file descriptor
// on POSIX, a HANDLE on Windows.
struct SerialHandle {
  std::intptr_t native = -1;
  friend bool operator==(const SerialHandle&, const SerialHandle&) = default;
};

// The value of a handle that refers to no device.
SerialHandle InvalidSerialHandle();

enum class Parity { None, Odd, Even, Other };

// The line as the driver reports it, and as the program asks for it. Setting it
// changes these items only; everything else stays as the driver had it.
struct LineSettings {
  std::uint32_t baudRate = 0;  // bits per second; 0 when the driver's rate has no number here
  int dataBits = 8;
  Parity parity = Parity::None;
  int stopBits = 1;
  bool checkParity = false;          // input parity checking and error marking
  bool hardwareFlowControl = false;  // CTS/RTS (and DSR/DTR on Windows) handshaking
  bool softwareFlowControl = false;  // XON/XOFF in either direction
  bool translations = false;         // any character translation or stripping on input or output
  bool dtr = false;                  // DTR raised (Windows: DTR control enabled)
  bool rts = false;                  // RTS raised (Windows: RTS control enabled)
};

// Why a device could not be opened.
enum class SerialOpenFault {
  None,
  Missing,      // nothing at that name
  NotTerminal,  // something that is no terminal device (a file, a FIFO, /dev/zero)
  Permission,   // the user may not open it
  Busy,         // another program holds it
  Other,        // the system refused; errno tells
};
struct SerialOpenFailure {
  SerialOpenFault fault = SerialOpenFault::None;
  int error = 0;  // errno (POSIX) or GetLastError() (Windows)
};

// Opens the device; InvalidSerialHandle() when it cannot be opened, with the
// reason in `failure`. POSIX: only a character device that is a terminal, opened
// without waiting (O_NONBLOCK) and then set up.
SerialHandle OpenSerialDevice(const std::string& deviceName, SerialOpenFailure* failure = nullptr);

// The configuration steps, in the order they are made after opening. Each
// returns false when the system refuses it.
bool SetSerialQueueSizes(SerialHandle handle, std::uint32_t inputBytes, std::uint32_t outputBytes);
bool GetLineSettings(SerialHandle handle, LineSettings& settings);
bool SetLineSettings(SerialHandle handle, const LineSettings& settings);
bool SetImmediateReadTimeouts(SerialHandle handle);

// Changes exactly what the valve needs: 115200 baud, 8 data bits, even parity,
// 1 stop bit, every flow-control and translation flag cleared, raw reads that
// return at once. Everything else is left as the driver reported it.
void ApplyValveLineSettings(LineSettings& settings);

enum class ReadResult { Byte, NoByte, Failed };

// Asks for exactly one byte and never waits.
ReadResult ReadSerialByte(SerialHandle handle, std::uint8_t& byte);
// Writes exactly one byte; returns whether the system took it.
bool WriteSerialByte(SerialHandle handle, std::uint8_t byte);
// Gives up the exclusive use (POSIX: TIOCNXCL, so that another user may open
// the device at once) and closes the handle; an invalid or already closed handle is passed on all the
// same and the failure ignored.
void CloseSerialDevice(SerialHandle handle);

enum class WaitResult {
  Input,    // a byte is waiting (or the device says something happened)
  WokenUp,  // wake() was called
  Lost,     // the device is gone: hung up, unplugged, or reporting errors
};

// Ends a WaitForSerialInput from another thread: wake() is remembered until the
// next wait has seen it.
class SerialWakeUp {
 public:
  SerialWakeUp();
  ~SerialWakeUp();
  SerialWakeUp(const SerialWakeUp&) = delete;
  SerialWakeUp& operator=(const SerialWakeUp&) = delete;
  void wake();

 private:
  friend WaitResult WaitForSerialInput(SerialHandle, SerialWakeUp&);
  // POSIX: the read and write ends of a pipe; Windows: an event, then unused.
  std::intptr_t native_[2] = {-1, -1};
};

// Sleeps in the system until a byte can be read from `handle`, the device is
// lost, or `wake` is woken. With an invalid handle it waits for the wake-up
// only. Never busy: no time passes in the caller while nothing happens.
WaitResult WaitForSerialInput(SerialHandle handle, SerialWakeUp& wake);

}  // namespace tvx::platform
