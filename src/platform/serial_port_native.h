// The system's side of serial_port.h: how the plain line settings map onto the
// POSIX termios and the Win32 device control block. For serial_port.cpp and its
// tests only; the rest of the program sees neither <termios.h> nor <windows.h>.
#pragma once

#include "platform/serial_port.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>
#endif

namespace tvx::platform::native {

#ifdef _WIN32
inline HANDLE ToHandle(SerialHandle h) { return reinterpret_cast<HANDLE>(h.native); }
inline SerialHandle FromHandle(HANDLE h) { return SerialHandle{reinterpret_cast<std::intptr_t>(h)}; }

LineSettings FromDcb(const DCB& dcb);
// Changes the fields of `dcb` that LineSettings covers, and leaves the rest.
void ApplyToDcb(const LineSettings& settings, DCB& dcb);
#else
inline int ToFd(SerialHandle h) { return static_cast<int>(h.native); }

LineSettings FromTermios(const termios& t);
// Changes the flags of `t` that LineSettings covers, and leaves the rest; the
// reads it sets up are raw and return at once (VMIN 0, VTIME 0).
void ApplyToTermios(const LineSettings& settings, termios& t);

// The modem control lines (TIOCM_DTR, TIOCM_RTS) to raise and to lower; POSIX
// keeps them outside termios. Opening a tty raises both.
struct ModemLines {
  int raise = 0;
  int lower = 0;
};
ModemLines ModemLinesFor(const LineSettings& settings);
// Sets them. A terminal without modem lines (a pseudo-terminal answers ENOTTY)
// is no failure.
bool SetModemLines(int fd, ModemLines lines);
#endif

}  // namespace tvx::platform::native
