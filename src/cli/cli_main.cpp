// tarvelmundix-cli: see cli.h and the man page.
#include "cli/cli.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#include <windows.h>
#else
#include <signal.h>  // NOLINT(modernize-deprecated-headers): sigaction is POSIX, <csignal> need not declare it
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
  // Ctrl+C ends the read (the handler is installed without SA_RESTART).
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
  std::cerr << '\n';
  if (Interrupted) {
    std::cerr << tvx::cli::ProgramName << ": interrupted\n";
    std::exit(tvx::cli::ExitInterrupted);
  }
  if (!ok) return std::nullopt;
  return line;
#endif
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#else
  // Without SA_RESTART: a read waiting on the terminal returns at Ctrl+C.
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
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
  // Run checked standard output; what the C library still buffers is checked here.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    if (code == tvx::cli::ExitDone) {
      std::cerr << tvx::cli::ProgramName << ": cannot write standard output\n";
      return tvx::cli::ExitFileError;
    }
  }
  return code;
}
