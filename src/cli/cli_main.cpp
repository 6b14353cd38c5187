// tarvelmundix-cli: see cli.h and the man page.
#include "cli/cli.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace {

std::atomic<bool> Interrupted{false};

extern "C" void OnInterrupt(int) { Interrupted = true; }

// A line typed on the terminal without echo; nothing without a terminal.
std::optional<std::string> AskPassword() {
#ifdef _WIN32
  if (!_isatty(_fileno(stdin))) return std::nullopt;
  std::cerr << "Password: " << std::flush;
  std::string line;
  for (int ch = _getch(); ch != '\r' && ch != '\n' && ch != EOF; ch = _getch()) {
    if (ch == '\b') {
      if (!line.empty()) line.pop_back();
    } else {
      line += static_cast<char>(ch);
    }
  }
  std::cerr << '\n';
  return line;
#else
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  termios old{};
  if (tcgetattr(STDIN_FILENO, &old) != 0) return std::nullopt;
  termios quiet = old;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  std::cerr << "Password: " << std::flush;
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  std::string line;
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
  std::cerr << '\n';
  if (!ok) return std::nullopt;
  return line;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, OnInterrupt);
#ifdef SIGTERM
  std::signal(SIGTERM, OnInterrupt);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  tvx::cli::Io io{std::cout, std::cerr};
  io.askPassword = AskPassword;
#ifdef _WIN32
  io.errIsTerminal = _isatty(_fileno(stderr));
#else
  io.errIsTerminal = isatty(STDERR_FILENO);
#endif
  io.stopRequested = [](int) { return Interrupted.load(); };
  const int code = tvx::cli::Run(args, io);
  std::cout.flush();
  return code;
}
