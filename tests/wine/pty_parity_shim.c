/* Preloaded into Wine by scripts/wine-tests.sh.
 *
 * A pseudo-terminal has no line, so Linux keeps it at 8 data bits without
 * parity whatever is asked. glibc's tcsetattr reports that silently dropped
 * parity as EINVAL when nothing else changes, so under Wine SetCommState with
 * even parity fails on every opening of a pty-backed COM port after the first.
 * A real serial port, and the usbser driver on Windows, take the parity. This
 * shim drops the parity bit for ptys before the call, as our own POSIX layer
 * does; the parity the program asks for is checked on the DCB instead. */
#define _GNU_SOURCE
#include <dlfcn.h>
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
