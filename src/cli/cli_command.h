// Inside tarvelmundix-cli: the command table's types and the helpers the
// commands share (the link, the access level, the sequences' questions).
#pragma once

#include "cli/cli.h"
#include "link/port.h"
#include "session/valve_session.h"
#include "view/questions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tvx::history {
struct ValveRecord;
}
namespace tvx::params {
class RecordedView;
}

namespace tvx::cli {

struct Option {
  std::string_view name;
  std::string_view value;  // "" for a switch; in brackets when it may be left out
  std::string_view help;
};

struct Context;

struct Command {
  std::string_view name;
  std::string_view arguments;
  std::string_view summary;
  std::vector<Option> options;
  int (*run)(Context&);
};

struct Context {
  Io& io;
  const Command& command;
  std::map<std::string, std::string, std::less<>> options;
  std::vector<std::string> arguments;
  bool quiet = false;
  // Link errors reported while the command ran, also those a sequence went on after.
  int linkErrors = 0;
  // The valve's session (its port and what the sequences keep about the
  // valve) while WithLink runs the command's body.
  session::ValveSession* session = nullptr;
  link::Port& port() const { return session->port; }
  params::ValveState& valve() const { return session->valve; }

  bool has(std::string_view option) const { return options.contains(option); }
  void note(const std::string& text) const {
    if (!quiet) io.err << text << '\n';
  }
  // The line that says the command did what it was asked: never after a link error.
  int done(const std::string& text) const {
    if (linkErrors > 0) return ExitLinkFailure;
    note(text);
    return ExitDone;
  }
};

int UsageError(Io& io, const std::string& what, std::string_view command = {});

// Thrown from the link's waits when the user asks to stop (Ctrl+C, SIGTERM).
struct Interrupted {};

// Runs `body` with the port open: the port from --port, else the valve's USB
// port found as the window finds it. A link failure (already reported) gives 2.
int WithLink(Context& c, const std::function<int()>& body);

// The access level of the password in the environment or, when `ask`, of the
// one typed on the terminal; 0 without a password.
int AccessLevel(Io& io, bool ask);

// The level at which the window lets a person operate all of these controls
// (the main window's, by name).
int LevelToOperate(std::initializer_list<std::string_view> controls);

// Refuses an operation above the user's access level before anything is sent:
// the exit code 4 with the reason, or nothing when the level is enough.
std::optional<int> RefusedBelow(Context& c, int needed, std::string_view what);

// Questions of the sequences, answered as the window's default button does; the
// errors among them are counted, so the tool does not end as if all was well.
class CliQuestions : public view::Questions {
 public:
  explicit CliQuestions(std::ostream& err) : err_(err) {}
  int errors = 0;
  // --allow-out-of-range: the question about values outside their range is answered Yes.
  bool allowOutOfRange = false;

  Answer ask(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override;
  std::optional<std::string> askSaveFile(const FileQuestion&) override { return std::nullopt; }
  std::optional<std::string> askOpenFile(const FileQuestion&) override { return std::nullopt; }
  std::optional<std::string> askDirectory(const std::string&, const std::string&) override { return std::nullopt; }

  // A message on one line, without the blanks around it.
  static std::string Trimmed(std::string text);

 private:
  std::ostream& err_;
};

// A line on standard error that shows how far a long operation has come,
// rewritten in place; only when standard error is a terminal and not --quiet.
class Progress {
 public:
  Progress(const Context& c, std::string what);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  void show(int done, int total);
  // Clears the line; nothing is shown afterwards.
  void end();

 private:
  std::ostream* err_;
  std::string what_;
  int done_ = 0;
  bool shown_ = false;
};

// read --cfg FILE and load --cfg FILE (profile_commands.cpp).
int SaveProfiles(Context& c);
int LoadProfiles(Context& c);
// trace --csv FILE [--png FILE] (trace_command.cpp).
int Trace(Context& c);

// history, diff and restore (history_commands.cpp); the level the window's
// history dialog asks for.
inline constexpr int HistoryLevel = 2;
const std::vector<Command>& HistoryCommands();
// The operations of this run go into the valve history; a history that cannot
// be kept is told once on `err` and stops nothing.
void InstallHistory(std::ostream& err, int accessLevel);
void CloseHistory();
// A record's words into a view, as a read would show them, for a send.
void FillView(params::RecordedView& view, params::ValveState& valve,
              const std::array<std::optional<std::uint32_t>, 128>& words);

}  // namespace tvx::cli
