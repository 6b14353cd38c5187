// tarvelmundix-cli: the valve's parameter set, identity and live state from a
// shell. Each subcommand runs the same sequences as the window (below it, no
// widget), with the same access levels.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tvx::cli {

enum ExitCode : int {
  ExitDone = 0,
  ExitUsage = 1,
  ExitLinkFailure = 2,
  ExitFileError = 3,
  ExitRefused = 4,
  ExitInterrupted = 130,  // Ctrl+C or SIGTERM, as a shell reports SIGINT
};

inline constexpr const char* ProgramName = "tarvelmundix-cli";
inline constexpr const char* PasswordVariable = "TARVELMUNDIX_PASSWORD";

// Where the tool talks to, and what it asks of its surroundings.
struct Io {
  std::ostream& out;
  std::ostream& err;
  // Standard error is a terminal: long operations show their progress there.
  bool errIsTerminal = false;
  // The password typed without echo; nothing when there is no terminal to ask on.
  std::function<std::optional<std::string>()> askPassword = [] { return std::nullopt; };
  // Whether the user asked to stop (Ctrl+C); told how many rows were written.
  std::function<bool(int rows)> stopRequested = [](int) { return false; };
};

// Runs one command line (without the program name); returns the exit code.
int Run(const std::vector<std::string>& args, Io& io);

}  // namespace tvx::cli
