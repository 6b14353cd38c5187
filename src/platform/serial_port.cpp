#include "platform/serial_port.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace tvx::platform {

#ifdef _WIN32

SerialHandle InvalidSerialHandle() { return INVALID_HANDLE_VALUE; }

SerialHandle OpenSerialDevice(const std::string& deviceName) {
  // Overlapped, so that the Receiver can sleep in WaitCommEvent until a byte
  // comes and still be woken; reads and writes wait for their own completion,
  // so to the rest of the program they behave as plain blocking calls.
  return CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* no sharing */, nullptr,
                     OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

bool SetSerialQueueSizes(SerialHandle handle, std::uint32_t inputBytes, std::uint32_t outputBytes) {
  return SetupComm(handle, inputBytes, outputBytes) != 0;
}

bool GetLineSettings(SerialHandle handle, LineSettings& settings) {
  settings.dcb.DCBlength = sizeof(DCB);
  return GetCommState(handle, &settings.dcb) != 0;
}

bool SetLineSettings(SerialHandle handle, const LineSettings& settings) {
  DCB dcb = settings.dcb;
  return SetCommState(handle, &dcb) != 0;
}

bool SetImmediateReadTimeouts(SerialHandle handle) {
  COMMTIMEOUTS t{};
  t.ReadIntervalTimeout = MAXDWORD;  // with both totals 0: return at once
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = 0;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = 0;
  return SetCommTimeouts(handle, &t) != 0;
}

void ApplyValveLineSettings(LineSettings& settings) {
  DCB& d = settings.dcb;
  d.BaudRate = CBR_115200;
  d.ByteSize = 8;
  d.Parity = EVENPARITY;
  d.StopBits = ONESTOPBIT;
  d.fBinary = TRUE;  // the only mode Windows supports
  d.fParity = FALSE;
  d.fOutxCtsFlow = FALSE;
  d.fOutxDsrFlow = FALSE;
  d.fDtrControl = DTR_CONTROL_DISABLE;
  d.fDsrSensitivity = FALSE;
  d.fTXContinueOnXoff = FALSE;
  d.fOutX = FALSE;
  d.fInX = FALSE;
  d.fErrorChar = FALSE;
  d.fNull = FALSE;
  d.fRtsControl = RTS_CONTROL_DISABLE;
  d.fAbortOnError = FALSE;
}

namespace {
// One overlapped transfer of one byte, waited for to its end. Each thread has
// its own event (the Receiver reads, the user-interface thread writes).
bool TransferOneByte(SerialHandle handle, std::uint8_t& byte, bool write, DWORD& done) {
  thread_local HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = event;
  done = 0;
  BOOL ok = write ? WriteFile(handle, &byte, 1, &done, &ov) : ReadFile(handle, &byte, 1, &done, &ov);
  if (!ok) {
    if (GetLastError() != ERROR_IO_PENDING) return false;
    if (!GetOverlappedResult(handle, &ov, &done, TRUE)) return false;
  }
  return true;
}
}  // namespace

ReadResult ReadSerialByte(SerialHandle handle, std::uint8_t& byte) {
  DWORD got = 0;
  if (!TransferOneByte(handle, byte, false, got)) return ReadResult::Failed;
  return got == 1 ? ReadResult::Byte : ReadResult::NoByte;
}

bool WriteSerialByte(SerialHandle handle, std::uint8_t byte) {
  DWORD written = 0;
  return TransferOneByte(handle, byte, true, written) && written == 1;
}

void CloseSerialDevice(SerialHandle handle) { CloseHandle(handle); }

SerialWakeUp::SerialWakeUp() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

SerialWakeUp::~SerialWakeUp() {
  if (event_) CloseHandle(event_);
}

void SerialWakeUp::wake() { SetEvent(event_); }

WaitResult WaitForSerialInput(SerialHandle handle, SerialWakeUp& wake) {
  if (handle == INVALID_HANDLE_VALUE) {
    WaitForSingleObject(wake.event_, INFINITE);
    return WaitResult::WokenUp;
  }
  // The mask first: a byte that arrives from here on completes the wait below
  // at once, so none slips between the look at the queue and the wait.
  if (!SetCommMask(handle, EV_RXCHAR | EV_ERR)) return WaitResult::Lost;
  DWORD errors = 0;
  COMSTAT stat{};
  // After a surprise removal the driver refuses this (ERROR_BAD_COMMAND,
  // ERROR_ACCESS_DENIED and the like).
  if (!ClearCommError(handle, &errors, &stat)) return WaitResult::Lost;
  if (stat.cbInQue > 0) return WaitResult::Input;
  thread_local HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = event;
  DWORD mask = 0;
  if (WaitCommEvent(handle, &mask, &ov)) return WaitResult::Input;
  if (GetLastError() != ERROR_IO_PENDING) return WaitResult::Lost;
  HANDLE events[2] = {ov.hEvent, wake.event_};
  const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
  DWORD unused = 0;
  if (which != WAIT_OBJECT_0) {
    CancelIoEx(handle, &ov);
    GetOverlappedResult(handle, &ov, &unused, TRUE);
    return WaitResult::WokenUp;
  }
  if (!GetOverlappedResult(handle, &ov, &unused, FALSE)) return WaitResult::Lost;
  return WaitResult::Input;
}

#else  // POSIX

SerialHandle InvalidSerialHandle() { return -1; }

SerialHandle OpenSerialDevice(const std::string& deviceName) {
  int fd = ::open(deviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  // Exclusive use: TIOCEXCL keeps other opens out (except root's); the flock
  // also keeps out other programs that lock, as serial tools commonly do.
  if (::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool SetSerialQueueSizes(SerialHandle handle, std::uint32_t, std::uint32_t) {
  // The tty layer's buffers are fixed (4 KiB and more); nothing to set, but the
  // handle must be a terminal.
  return ::isatty(handle) == 1;
}

bool GetLineSettings(SerialHandle handle, LineSettings& settings) {
  return ::tcgetattr(handle, &settings.tio) == 0;
}

namespace {
// Unix98 pseudo-terminal slaves (majors 136 to 143). A pty has no line: Linux
// keeps CS8 and refuses or drops parity there, so parity is not asked of it.
bool IsPseudoTerminal(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  unsigned m = major(st.st_rdev);
  return m >= 136 && m <= 143;
}
}  // namespace

bool SetLineSettings(SerialHandle handle, const LineSettings& settings) {
  termios t = settings.tio;
  if (IsPseudoTerminal(handle)) t.c_cflag &= ~static_cast<tcflag_t>(PARENB);
  return ::tcsetattr(handle, TCSANOW, &t) == 0;
}

bool SetImmediateReadTimeouts(SerialHandle handle) {
  // VMIN 0 / VTIME 0 are part of the line settings; reads must also never
  // block when the driver holds nothing.
  int flags = ::fcntl(handle, F_GETFL);
  if (flags < 0) return false;
  return ::fcntl(handle, F_SETFL, flags | O_NONBLOCK) == 0;
}

void ApplyValveLineSettings(LineSettings& settings) {
  termios& t = settings.tio;
  // Raw: no input translation, no parity check or marking, no software flow control.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR |
                                      IGNCR | ICRNL | IXON | IXOFF | IXANY | IMAXBEL);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  // 8 data bits, even parity, 1 stop bit, no hardware flow control.
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | PARENB | CREAD | CLOCAL;
  cfsetispeed(&t, B115200);
  cfsetospeed(&t, B115200);
  // A read returns at once with whatever has arrived.
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

ReadResult ReadSerialByte(SerialHandle handle, std::uint8_t& byte) {
  ssize_t n = ::read(handle, &byte, 1);
  if (n == 1) return ReadResult::Byte;
  if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return ReadResult::NoByte;
  return ReadResult::Failed;  // EIO after an unplug, EBADF on a closed handle
}

bool WriteSerialByte(SerialHandle handle, std::uint8_t byte) {
  // A write blocks until the byte is taken; a device that takes nothing for a
  // second is dead and the byte is given up rather than hanging the program.
  for (int attempt = 0; attempt < 10; ++attempt) {
    ssize_t n = ::write(handle, &byte, 1);
    if (n == 1) return true;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    pollfd p{handle, POLLOUT, 0};
    ::poll(&p, 1, 100);
  }
  return false;
}

void CloseSerialDevice(SerialHandle handle) {
  if (handle >= 0) ::close(handle);
}

SerialWakeUp::SerialWakeUp() {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) pipe_[0] = pipe_[1] = -1;
}

SerialWakeUp::~SerialWakeUp() {
  for (int fd : pipe_)
    if (fd >= 0) ::close(fd);
}

void SerialWakeUp::wake() {
  const char c = 1;
  // A full pipe already holds a wake-up.
  [[maybe_unused]] ssize_t n = ::write(pipe_[1], &c, 1);
}

WaitResult WaitForSerialInput(SerialHandle handle, SerialWakeUp& wake) {
  pollfd fds[2] = {{wake.pipe_[0], POLLIN, 0}, {handle, POLLIN, 0}};
  const nfds_t count = handle >= 0 ? 2 : 1;
  while (::poll(fds, count, -1) < 0) {
    if (errno != EINTR) return WaitResult::Lost;
  }
  if (fds[0].revents != 0) {
    char drain[64];
    while (::read(wake.pipe_[0], drain, sizeof drain) > 0) {
    }
    return WaitResult::WokenUp;
  }
  // A USB tty after an unplug, and a pty whose other side has closed, report a
  // hang-up (with POLLIN, reads then give EIO or end of file) for good.
  if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) return WaitResult::Lost;
  return WaitResult::Input;
}

#endif

}  // namespace tvx::platform
