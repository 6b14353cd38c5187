/* Preloaded into Wine by scripts/wine-tests.sh: makes the pseudo-terminal
 * behind the test's COM port answer Wine as a serial port does.
 *
 * Parity: a pty has no line, so Linux keeps it at 8 data bits without parity
 * whatever is asked, and glibc's tcsetattr reports that silently dropped
 * parity as EINVAL when nothing else changes; SetCommState with even parity
 * would then fail on every opening after the first. The parity bit is dropped
 * for ptys before the call, as our own POSIX layer does; the parity the program
 * asks for is checked on the DCB instead.
 *
 * Modem lines: a pty has none and refuses TIOCMGET and friends. Wine's
 * WaitCommEvent reads the modem status on every round of its wait and cancels
 * the wait when that fails, so the Receiver would see the port as lost. Here a
 * pty reports DSR, CTS and DCD up (what a USB CDC-ACM port reports) and takes
 * DTR and RTS changes without complaint, until its other side is closed (the
 * simulator ended, the cable pulled): then the status fails with EIO, and
 * Wine's wait ends as Windows' does when the device goes. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <poll.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

static int is_pty(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  /* Unix98 pty slaves have majors 136 to 143. */
  return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int tcsetattr(int fd, int action, const struct termios* settings) {
  static int (*real)(int, int, const struct termios*);
  if (!real) real = (int (*)(int, int, const struct termios*))dlsym(RTLD_NEXT, "tcsetattr");
  if (!settings || !is_pty(fd)) return real(fd, action, settings);
  struct termios copy = *settings;
  copy.c_cflag &= ~(tcflag_t)(PARENB | PARODD);
  return real(fd, action, &copy);
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*real)(int, unsigned long, ...);
  if (!real) real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  const int result = real(fd, request, arg);
  if (result != 0 && (request == TIOCMGET || request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET) &&
      is_pty(fd)) {
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 0) == 1 && (p.revents & POLLHUP)) {
      errno = EIO;
      return -1;
    }
    if (request == TIOCMGET) *(int*)arg = TIOCM_DSR | TIOCM_CTS | TIOCM_CD;
    return 0;
  }
  return result;
}
