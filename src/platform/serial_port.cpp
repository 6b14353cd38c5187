#include "platform/serial_port.h"

#include "platform/serial_port_native.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <utility>
#endif

namespace tvx::platform {

#ifdef _WIN32

using native::FromHandle;
using native::ToHandle;

SerialHandle InvalidSerialHandle() { return FromHandle(INVALID_HANDLE_VALUE); }

SerialHandle OpenSerialDevice(const std::string& deviceName, SerialOpenFailure* failure) {
  // Overlapped, so that the Receiver can sleep in WaitCommEvent until a byte
  // comes and still be woken; reads and writes wait for their own completion,
  // so to the rest of the program they behave as plain blocking calls.
  const HANDLE handle = CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* no sharing */, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE && failure) {
    const DWORD error = GetLastError();
    failure->error = static_cast<int>(error);
    failure->fault = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND     ? SerialOpenFault::Missing
                     : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? SerialOpenFault::Busy
                                                                                        : SerialOpenFault::Other;
  }
  return FromHandle(handle);
}

bool SetSerialQueueSizes(SerialHandle handle, std::uint32_t inputBytes, std::uint32_t outputBytes) {
  return SetupComm(ToHandle(handle), inputBytes, outputBytes) != 0;
}

namespace native {

LineSettings FromDcb(const DCB& d) {
  LineSettings s;
  s.baudRate = d.BaudRate;
  s.dataBits = d.ByteSize;
  s.parity = d.Parity == NOPARITY     ? Parity::None
             : d.Parity == ODDPARITY  ? Parity::Odd
             : d.Parity == EVENPARITY ? Parity::Even
                                      : Parity::Other;
  s.stopBits = d.StopBits == TWOSTOPBITS ? 2 : 1;
  s.checkParity = d.fParity;
  s.hardwareFlowControl = d.fOutxCtsFlow || d.fOutxDsrFlow || d.fDsrSensitivity ||
                          d.fRtsControl == RTS_CONTROL_HANDSHAKE || d.fDtrControl == DTR_CONTROL_HANDSHAKE;
  s.softwareFlowControl = d.fOutX || d.fInX || d.fTXContinueOnXoff;
  s.translations = d.fErrorChar || d.fNull || d.fAbortOnError;
  s.dtr = d.fDtrControl != DTR_CONTROL_DISABLE;
  s.rts = d.fRtsControl != RTS_CONTROL_DISABLE;
  return s;
}

void ApplyToDcb(const LineSettings& s, DCB& d) {
  if (s.baudRate) d.BaudRate = s.baudRate;
  d.ByteSize = static_cast<BYTE>(s.dataBits);
  if (s.parity != Parity::Other)
    d.Parity = s.parity == Parity::None ? NOPARITY : s.parity == Parity::Odd ? ODDPARITY : EVENPARITY;
  d.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  d.fBinary = TRUE;  // the only mode Windows supports
  d.fParity = s.checkParity;
  d.fOutxCtsFlow = s.hardwareFlowControl;
  d.fOutxDsrFlow = s.hardwareFlowControl;
  d.fDsrSensitivity = s.hardwareFlowControl;
  d.fTXContinueOnXoff = s.softwareFlowControl;
  d.fOutX = s.softwareFlowControl;
  d.fInX = s.softwareFlowControl;
  d.fErrorChar = s.translations;
  d.fNull = s.translations;
  d.fAbortOnError = s.translations;
  d.fDtrControl = s.hardwareFlowControl ? DTR_CONTROL_HANDSHAKE : s.dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  d.fRtsControl = s.hardwareFlowControl ? RTS_CONTROL_HANDSHAKE : s.rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
}

}  // namespace native

bool GetLineSettings(SerialHandle handle, LineSettings& settings) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  if (!GetCommState(ToHandle(handle), &dcb)) return false;
  settings = native::FromDcb(dcb);
  return true;
}

bool SetLineSettings(SerialHandle handle, const LineSettings& settings) {
  // The control block as the driver has it now, changed only where asked.
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  if (!GetCommState(ToHandle(handle), &dcb)) return false;
  native::ApplyToDcb(settings, dcb);
  return SetCommState(ToHandle(handle), &dcb) != 0;
}

bool SetImmediateReadTimeouts(SerialHandle handle) {
  COMMTIMEOUTS t{};
  t.ReadIntervalTimeout = MAXDWORD;  // with both totals 0: return at once
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = 0;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = 0;
  return SetCommTimeouts(ToHandle(handle), &t) != 0;
}

namespace {
// One overlapped transfer of one byte, waited for to its end. Each thread has
// its own event (the Receiver reads, the user-interface thread writes).
bool TransferOneByte(HANDLE handle, std::uint8_t& byte, bool write, DWORD& done) {
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
  // Only a byte that is already queued is asked for. The immediate read
  // timeouts should make an empty read return at once, but Wine keeps an
  // overlapped read pending until a byte comes, which would block the caller.
  DWORD errors = 0;
  COMSTAT stat{};
  if (!ClearCommError(ToHandle(handle), &errors, &stat)) return ReadResult::Failed;
  if (stat.cbInQue == 0) return ReadResult::NoByte;
  DWORD got = 0;
  if (!TransferOneByte(ToHandle(handle), byte, false, got)) return ReadResult::Failed;
  return got == 1 ? ReadResult::Byte : ReadResult::NoByte;
}

bool WriteSerialByte(SerialHandle handle, std::uint8_t byte) {
  DWORD written = 0;
  return TransferOneByte(ToHandle(handle), byte, true, written) && written == 1;
}

void CloseSerialDevice(SerialHandle handle) { CloseHandle(ToHandle(handle)); }

SerialWakeUp::SerialWakeUp() {
  native_[0] = reinterpret_cast<std::intptr_t>(CreateEventW(nullptr, FALSE, FALSE, nullptr));
}

SerialWakeUp::~SerialWakeUp() {
  if (native_[0]) CloseHandle(reinterpret_cast<HANDLE>(native_[0]));
}

void SerialWakeUp::wake() { SetEvent(reinterpret_cast<HANDLE>(native_[0])); }

WaitResult WaitForSerialInput(SerialHandle port, SerialWakeUp& wake) {
  const HANDLE woken = reinterpret_cast<HANDLE>(wake.native_[0]);
  const HANDLE handle = ToHandle(port);
  if (handle == INVALID_HANDLE_VALUE) {
    WaitForSingleObject(woken, INFINITE);
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
  HANDLE events[2] = {ov.hEvent, woken};
  const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
  DWORD unused = 0;
  if (which != WAIT_OBJECT_0) {
    // A new mask ends a pending WaitCommEvent, as documented; the cancel alone
    // is not always enough (Wine's wait never sees it).
    SetCommMask(handle, 0);
    CancelIoEx(handle, &ov);
    GetOverlappedResult(handle, &ov, &unused, TRUE);
    return WaitResult::WokenUp;
  }
  if (!GetOverlappedResult(handle, &ov, &unused, FALSE)) return WaitResult::Lost;
  return WaitResult::Input;
}

#else  // POSIX

using native::ToFd;

SerialHandle InvalidSerialHandle() { return SerialHandle{-1}; }

SerialHandle OpenSerialDevice(const std::string& deviceName, SerialOpenFailure* failure) {
  auto fail = [failure](SerialOpenFault fault, int error) {
    if (failure) *failure = {fault, error};
    return InvalidSerialHandle();
  };
  auto failOpen = [&](int error) {
    return fail(error == ENOENT || error == ENXIO || error == ENODEV ? SerialOpenFault::Missing
                : error == EACCES || error == EPERM                  ? SerialOpenFault::Permission
                : error == EBUSY                                     ? SerialOpenFault::Busy
                                                                     : SerialOpenFault::Other,
                error);
  };
  // Only a character device is opened at all: a FIFO or a regular file at the
  // port's name is never opened, so nothing can wait on it.
  struct stat st {};
  if (::stat(deviceName.c_str(), &st) != 0) return failOpen(errno);
  if (!S_ISCHR(st.st_mode)) return fail(SerialOpenFault::NotTerminal, ENOTTY);
  int fd = ::open(deviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return failOpen(errno);
  // A character device that is no terminal (/dev/zero, /dev/null) is not a port.
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || ::isatty(fd) != 1) {
    ::close(fd);
    return fail(SerialOpenFault::NotTerminal, ENOTTY);
  }
  // Exclusive use: TIOCEXCL keeps other opens out (except root's); the flock
  // also keeps out other programs that lock, as serial tools commonly do.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return fail(error == EWOULDBLOCK ? SerialOpenFault::Busy : SerialOpenFault::Other, error);
  }
  if (::ioctl(fd, TIOCEXCL) != 0) {
    const int error = errno;
    ::close(fd);
    return fail(SerialOpenFault::Other, error);
  }
  return SerialHandle{fd};
}

bool SetSerialQueueSizes(SerialHandle handle, std::uint32_t, std::uint32_t) {
  // The tty layer's buffers are fixed (4 KiB and more); nothing to set, but the
  // handle must be a terminal.
  return ::isatty(ToFd(handle)) == 1;
}

namespace {

struct Speed {
  speed_t code;
  std::uint32_t baud;
};
constexpr Speed Speeds[] = {{B1200, 1200},     {B2400, 2400},     {B4800, 4800},    {B9600, 9600},
                            {B19200, 19200},   {B38400, 38400},   {B57600, 57600},  {B115200, 115200},
                            {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};

constexpr tcflag_t TranslationInputFlags = IGNBRK | BRKINT | ISTRIP | INLCR | IGNCR | ICRNL | IMAXBEL;
constexpr tcflag_t LocalFlags = ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN;

// Unix98 pseudo-terminal slaves (majors 136 to 143). A pty has no line: Linux
// keeps CS8 and refuses or drops parity there, so parity is not asked of it.
bool IsPseudoTerminal(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  unsigned m = major(st.st_rdev);
  return m >= 136 && m <= 143;
}

}  // namespace

namespace native {

LineSettings FromTermios(const termios& t) {
  LineSettings s;
  s.baudRate = 0;
  for (const Speed& speed : Speeds)
    if (cfgetospeed(&t) == speed.code) s.baudRate = speed.baud;
  switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
  }
  s.parity = !(t.c_cflag & PARENB) ? Parity::None : (t.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
  s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
  s.checkParity = t.c_iflag & (INPCK | PARMRK | IGNPAR);
  s.hardwareFlowControl = t.c_cflag & CRTSCTS;
  s.softwareFlowControl = t.c_iflag & (IXON | IXOFF | IXANY);
  s.translations = (t.c_iflag & TranslationInputFlags) || (t.c_oflag & OPOST) || (t.c_lflag & LocalFlags);
  return s;
}

void ApplyToTermios(const LineSettings& s, termios& t) {
  for (const Speed& speed : Speeds) {
    if (speed.baud == s.baudRate) {
      cfsetispeed(&t, speed.code);
      cfsetospeed(&t, speed.code);
    }
  }
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS);
  t.c_cflag |= s.dataBits == 5 ? CS5 : s.dataBits == 6 ? CS6 : s.dataBits == 7 ? CS7 : CS8;
  if (s.stopBits == 2) t.c_cflag |= CSTOPB;
  if (s.parity != Parity::Other) {
    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
    if (s.parity != Parity::None) t.c_cflag |= PARENB;
    if (s.parity == Parity::Odd) t.c_cflag |= PARODD;
  }
  if (s.hardwareFlowControl) t.c_cflag |= CRTSCTS;
  // The receiver on, modem status lines ignored.
  t.c_cflag |= CREAD | CLOCAL;

  t.c_iflag &= ~static_cast<tcflag_t>(INPCK | PARMRK | IGNPAR | IXON | IXOFF | IXANY);
  if (s.checkParity) t.c_iflag |= INPCK;
  if (s.softwareFlowControl) t.c_iflag |= IXON | IXOFF;
  if (!s.translations) {
    t.c_iflag &= ~TranslationInputFlags;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~LocalFlags;
  }
  // A read returns at once with whatever has arrived.
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

ModemLines ModemLinesFor(const LineSettings& s) {
  ModemLines lines;
  (s.dtr ? lines.raise : lines.lower) |= TIOCM_DTR;
  (s.rts ? lines.raise : lines.lower) |= TIOCM_RTS;
  return lines;
}

bool SetModemLines(int fd, ModemLines lines) {
  for (auto [request, bits] : {std::pair{TIOCMBIS, lines.raise}, std::pair{TIOCMBIC, lines.lower}}) {
    if (bits == 0) continue;
    if (::ioctl(fd, request, &bits) != 0 && errno != ENOTTY && errno != EINVAL) return false;
  }
  return true;
}

}  // namespace native

bool GetLineSettings(SerialHandle handle, LineSettings& settings) {
  termios t{};
  if (::tcgetattr(ToFd(handle), &t) != 0) return false;
  settings = native::FromTermios(t);
  return true;
}

bool SetLineSettings(SerialHandle handle, const LineSettings& settings) {
  // The terminal's settings as they are now, changed only where asked.
  const int fd = ToFd(handle);
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  native::ApplyToTermios(settings, t);
  if (IsPseudoTerminal(fd)) t.c_cflag &= ~static_cast<tcflag_t>(PARENB);
  // The valve wants DTR and RTS low (opening the tty raised them); the rate
  // never drops to B0 and back, which would raise them again.
  return ::tcsetattr(fd, TCSANOW, &t) == 0 && native::SetModemLines(fd, native::ModemLinesFor(settings));
}

bool SetImmediateReadTimeouts(SerialHandle handle) {
  // VMIN 0 / VTIME 0 are part of the line settings; reads must also never
  // block when the driver holds nothing.
  const int fd = ToFd(handle);
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  return ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

ReadResult ReadSerialByte(SerialHandle handle, std::uint8_t& byte) {
  ssize_t n = ::read(ToFd(handle), &byte, 1);
  if (n == 1) return ReadResult::Byte;
  if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return ReadResult::NoByte;
  return ReadResult::Failed;  // EIO after an unplug, EBADF on a closed handle
}

bool WriteSerialByte(SerialHandle handle, std::uint8_t byte) {
  // A write blocks until the byte is taken; a device that takes nothing for a
  // second is dead and the byte is given up rather than hanging the program.
  const int fd = ToFd(handle);
  for (int attempt = 0; attempt < 10; ++attempt) {
    ssize_t n = ::write(fd, &byte, 1);
    if (n == 1) return true;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, 100);
  }
  return false;
}

void CloseSerialDevice(SerialHandle handle) {
  if (handle.native < 0) return;
  // The exclusive mode belongs to the tty, not to this descriptor: a USB tty
  // keeps it after the close, and the next ordinary user's open would fail
  // with EBUSY although nobody holds the port.
  ::ioctl(ToFd(handle), TIOCNXCL);
  ::close(ToFd(handle));
}

SerialWakeUp::SerialWakeUp() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    native_[0] = fds[0];
    native_[1] = fds[1];
  }
}

SerialWakeUp::~SerialWakeUp() {
  for (std::intptr_t fd : native_)
    if (fd >= 0) ::close(static_cast<int>(fd));
}

void SerialWakeUp::wake() {
  const char c = 1;
  // A full pipe already holds a wake-up.
  [[maybe_unused]] ssize_t n = ::write(static_cast<int>(native_[1]), &c, 1);
}

WaitResult WaitForSerialInput(SerialHandle handle, SerialWakeUp& wake) {
  const int woken = static_cast<int>(wake.native_[0]);
  pollfd fds[2] = {{woken, POLLIN, 0}, {ToFd(handle), POLLIN, 0}};
  const nfds_t count = handle.native >= 0 ? 2 : 1;
  while (::poll(fds, count, -1) < 0) {
    if (errno != EINTR) return WaitResult::Lost;
  }
  if (fds[0].revents != 0) {
    char drain[64];
    while (::read(woken, drain, sizeof drain) > 0) {
    }
    return WaitResult::WokenUp;
  }
  // A USB tty after an unplug, and a pty whose other side has closed, report a
  // hang-up (with POLLIN, reads then give EIO or end of file) for good.
  if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) return WaitResult::Lost;
  return WaitResult::Input;
}

#endif

void ApplyValveLineSettings(LineSettings& settings) {
  settings.baudRate = 115200;
  settings.dataBits = 8;
  settings.parity = Parity::Even;
  settings.stopBits = 1;
  settings.checkParity = false;
  settings.hardwareFlowControl = false;
  settings.softwareFlowControl = false;
  settings.translations = false;
  settings.dtr = false;
  settings.rts = false;
}

}  // namespace tvx::platform
