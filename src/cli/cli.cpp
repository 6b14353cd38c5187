#include "cli/cli.h"

#include "app/access_tags.h"
#include "app/login_levels.h"
#include "app/login_table.h"
#include "app/usb_port_match.h"
#include "cli/change_log_command.h"
#include "cli/cli_report.h"
#include "cli/cli_command.h"
#include "cli/cli_output.h"
#include "cli/cli_view.h"
#include "cli/parameter_file.h"
#include "cli/write_checks.h"
#include "history/history_store.h"
#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/link_session.h"
#include "link/port.h"
#include "link/pump_wait.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/identity_text.h"
#include "params/out_of_range.h"
#include "params/parameter_set.h"
#include "params/plausible_words.h"
#include "params/register_map.h"
#include "platform/port_names.h"
#include "platform/program_files.h"
#include "platform/valve_port_lookup.h"
#include "scope_guard.h"
#include "status/status_refresh.h"
#include "status/status_state.h"
#include "status/status_text.h"
#include "view/questions.h"

#include <QDateTime>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace tvx::cli {

namespace {

// ---- the command table -----------------------------------------------------

int Ports(Context& c);
int Info(Context& c);
int Read(Context& c);
int Write(Context& c);
int Status(Context& c);
int Log(Context& c);
int Report(Context& c);

const Option PortOption{"--port", "COMn",
                        "the valve's port (default: the valve's USB port); info, read, status, write and "
                        "report take several, one valve each"};
const Option QuietOption{"--quiet", "", "no notes on standard error, only errors"};
const Option HelpOption{"--help", "", "this help"};

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"ports", "", "the COM names, the valve's marked, with the device each resolves to", {}, Ports},
      {"info",
       "",
       "firmware, serial number, type, configuration and active profile of the valve",
       {{"--json", "", "as one JSON object"}},
       Info},
      {"read",
       "",
       "the parameter set with names, values and units",
       {{"--json", "", "the set as a JSON file for write (the items editable at your level)"},
        {"--cfg", "FILE", "instead: save the three user profiles to a configuration file (*.cfg)"}},
       Read},
      {"write",
       "FILE.json",
       "sends a parameter set (a bad file is refused before anything is sent)",
       {{"--store", "", "store the set in the valve's EEPROM after sending it"},
        {"--allow-out-of-range", "", "also send values the window shows in red"},
        {"--other-valve", "", "send a file read from a valve of another type or configuration"}},
       Write},
      {"load",
       "",
       "loads the three user profiles from a configuration file into the valve's EEPROM",
       {{"--cfg", "FILE", "the configuration file (*.cfg); a damaged one is refused before anything is sent"}},
       LoadProfiles},
      {"status",
       "",
       "one status refresh, or one every SECONDS until Ctrl+C",
       {{"--watch", "[SECONDS]", "refresh every SECONDS (default 1.5), one row each"},
        {"--csv", "FILE", "append the rows to FILE, with a header when it is new (the same header when not)"},
        {"--json", "", "one JSON object, one a line with --watch"}},
       Status},
      {"trace",
       "",
       "reads the valve's recording of its last regulation and saves it as the chart does",
       {{"--csv", "FILE", "the samples as CSV"}, {"--png", "FILE", "also the chart picture as PNG"}},
       Trace},
      {"log",
       "",
       "the change log: every write to a valve, from the window or from here",
       {{"--serial", "S", "only the lines of the valve with serial number S"}},
       Log},
      {"report", "FILE.pdf", "a commissioning report of the valve as a PDF (access level 2)", {}, Report},
  };
  static const std::vector<Command> all = [] {
    std::vector<Command> both = commands;
    both.insert(both.end(), HistoryCommands().begin(), HistoryCommands().end());
    return both;
  }();
  return all;
}

std::vector<Option> OptionsOf(const Command& command) {
  std::vector<Option> all = command.options;
  if (command.name != "ports" && command.name != "log" && command.name != "history") all.push_back(PortOption);
  all.push_back(QuietOption);
  all.push_back(HelpOption);
  return all;
}

void GeneralHelp(std::ostream& out) {
  out << "Usage: " << ProgramName << " COMMAND [OPTIONS]\n"
      << "Service tool for proportional valve electronics, from the command line.\n\nCommands:\n";
  for (const Command& c : Commands()) out << "  " << std::left << std::setw(8) << c.name << c.summary << '\n';
  out << "\n'" << ProgramName << " COMMAND --help' describes a command.\n"
      << "Exit codes: 0 done, 1 usage, 2 link failure, 3 file or data error, 4 refused, 130 interrupted.\n"
      << "The password of an access level is taken from " << PasswordVariable << " or asked for on the terminal.\n";
}

void CommandHelp(const Command& c, std::ostream& out) {
  out << "Usage: " << ProgramName << ' ' << c.name;
  if (!c.arguments.empty()) out << ' ' << c.arguments;
  out << " [OPTIONS]\n" << c.summary << "\n\nOptions:\n";
  for (const Option& o : OptionsOf(c)) {
    std::string left = std::string(o.name) + (o.value.empty() ? "" : " " + std::string(o.value));
    out << "  " << std::left << std::setw(20) << left << o.help << '\n';
  }
}

bool ParseSeconds(const std::string& text, double& seconds) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  return ec == std::errc() && end == text.data() + text.size() && seconds > 0 && seconds <= 86400;
}

// ---- the link ----------------------------------------------------------------

// COMn as the window lists it (COM1 to COM16), or 0.
int ComNumber(std::string_view name) {
  if (name.size() < 4 || name.substr(0, 3) != "COM") return 0;
  int n = 0;
  const auto [end, ec] = std::from_chars(name.data() + 3, name.data() + name.size(), n);
  return ec == std::errc() && end == name.data() + name.size() && n >= 1 && n <= 16 ? n : 0;
}

}  // namespace

int UsageError(Io& io, const std::string& what, std::string_view command) {
  io.err << ProgramName << ": " << what << "\nTry '" << ProgramName << (command.empty() ? "" : " ") << command
         << " --help'.\n";
  return ExitUsage;
}

CliQuestions::Answer CliQuestions::ask(const std::string& text, const std::string& caption, Icon icon,
                                       Buttons buttons) {
  err_ << Trimmed(caption) << ": " << Trimmed(text) << '\n';
  if (icon == Icon::Error) ++errors;
  if (allowOutOfRange && caption == params::OutOfRangeCaption) return Answer::Yes;
  // Nobody to ask: a question whose default is No is answered No.
  if (buttons == Buttons::YesNoDefaultNo) return Answer::No;
  return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
}

std::string CliQuestions::Trimmed(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

int WithLink(Context& c, const std::function<int()>& body) {
  int com = 0;
  if (const auto it = c.options.find("--port"); it != c.options.end()) {
    com = ComNumber(it->second);
    if (com == 0) return UsageError(c.io, "--port needs COM1 to COM16", c.command.name);
  } else {
    const std::optional<std::string> valve = platform::ValvePortName();
    com = valve ? ComNumber(*valve) : 0;
    if (com == 0) {
      c.io.err << ProgramName << ": no valve found on a USB port; name its port with --port COMn\n";
      return ExitLinkFailure;
    }
  }
  link::SetErrorReporter([&c](const std::string& text, const std::string& caption) {
    ++c.linkErrors;
    c.io.err << CliQuestions::Trimmed(caption) << ": " << CliQuestions::Trimmed(text) << '\n';
  });
  InstallChangeLog(c.io.err);
  InstallHistory(c.io.err, AccessLevel(c.io, false));
  session::ValveSession valve;
  link::LinkSession connection(valve.port, com);
  if (!connection.open()) {
    c.io.err << PortFailureLine(com, platform::ComDeviceName(com), valve.port.OpenFailure) << '\n';
    return ExitLinkFailure;
  }
  // Ctrl+C ends the command at its next wait; a send of the parameter set is
  // let finish (it takes well under a second), a profile load stops on its own
  // after the profile in progress.
  const bool interruptible = c.command.name != "write" && c.command.name != "load";
  link::SetPumpHook([&c, interruptible](std::chrono::nanoseconds maxWait) {
    if (interruptible && c.io.stopRequested(0)) throw Interrupted{};
    if (maxWait.count() > 0)
      std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(maxWait, std::chrono::milliseconds(50)));
  });
  c.session = &valve;
  const ScopeGuard unhook([&c] {
    link::SetPumpHook({});
    c.session = nullptr;
  });
  try {
    const int code = body();
    // A sequence that went on after a link error did not do all it was asked.
    return code == ExitDone && c.linkErrors > 0 ? int{ExitLinkFailure} : code;
  } catch (const link::UsbError&) {
    return ExitLinkFailure;
  } catch (const link::ConversionError& e) {
    c.io.err << ProgramName << ": " << e.what() << '\n';
    return ExitFileError;
  } catch (const platform::FileError& e) {
    c.io.err << ProgramName << ": " << e.english() << '\n';
    return ExitFileError;
  } catch (const Interrupted&) {
    c.io.err << ProgramName << ": interrupted\n";
    return ExitInterrupted;
  }
}

// ---- access ------------------------------------------------------------------

int AccessLevel(Io& io, bool ask) {
  std::optional<std::string> password;
  if (const char* p = std::getenv(PasswordVariable)) password = p;
  else if (ask) password = io.askPassword();
  // The derivation is slow on purpose: a password already judged in this run is not derived again.
  static std::map<std::string, int> judged;
  static std::mutex judging;
  int level = 0;
  if (password) {
    const std::lock_guard lock(judging);
    const auto [it, added] = judged.try_emplace(*password, 0);
    if (added) it->second = app::LevelForPassword(*password, app::login_table::Passwords);
    level = it->second;
  }
  // The change log names the level of whoever makes a change.
  link::SetLoggedAccessLevel(level);
  return level;
}

int LevelToOperate(std::initializer_list<std::string_view> controls) {
  int level = 0;
  for (std::string_view name : controls)
    if (const std::optional<std::uint16_t> tag = app::ControlTag(name))
      level = std::max(level, app::OperateLevel(*tag));
  return level;
}

std::optional<int> RefusedBelow(Context& c, int needed, std::string_view what) {
  if (needed == 0 || AccessLevel(c.io, true) >= needed) return std::nullopt;
  c.io.err << ProgramName << ": refused: " << what << " needs access level " << needed << " (set " << PasswordVariable
           << "); nothing was sent\n";
  return ExitRefused;
}

// ---- progress ------------------------------------------------------------------

Progress::Progress(const Context& c, std::string what)
    : err_(c.io.errIsTerminal && !c.quiet ? &c.io.err : nullptr), what_(std::move(what)) {}

Progress::~Progress() { end(); }

void Progress::end() {
  if (shown_) *err_ << '\r' << std::string(what_.size() + 16, ' ') << '\r' << std::flush;
  shown_ = false;
  err_ = nullptr;
}

void Progress::show(int done, int total) {
  // Never backwards: a sequence may show its first step again when it ends.
  if (!err_ || total <= 0 || done < done_) return;
  done_ = done;
  shown_ = true;
  *err_ << '\r' << what_ << ' ' << (100 * done / total) << " %" << std::flush;
}

namespace {

// ---- commands ----------------------------------------------------------------

int Ports(Context& c) {
  const std::optional<std::string> valve = platform::ValvePortName();
  for (int n = 1; n <= 16; ++n) {
    const std::string name = "COM" + std::to_string(n);
    const std::string device = platform::ComDeviceName(n);
    const bool isValve = app::IsUsbPort(name, valve);
    if (!isValve && !platform::ComPortPresent(n)) continue;
    c.io.out << std::left << std::setw(10) << (name + (isValve ? app::UsbEntrySuffix : "")) << device << '\n';
  }
  return ExitDone;
}

std::string Yes(bool on) { return on ? "yes" : "no"; }

int Info(Context& c) {
  const int level = AccessLevel(c.io, false);
  return WithLink(c, [&] {
    CliView view;
    params::ReadParameterSet(c.port(), c.valve(), view);
    auto& out = c.io.out;
    // The profile button's caption without its words: the number, or "F".
    std::string profile = CliQuestions::Trimmed(view.profile.caption);
    profile = profile.substr(profile.find_last_of(' ') + 1);
    const bool serialShown = app::WindowShows("Serial_Number", level, view.configuration.positions3);
    if (c.has("--json")) {
      std::vector<std::pair<std::string, std::string>> items{
          {"firmware", JsonString(params::FirmwareText(view.identity.firmware))}};
      if (serialShown) items.emplace_back("serial_number", JsonString(IdentityText(view.identity.serialNumber)));
      items.insert(items.end(), {{"type", JsonString(IdentityText(view.identity.deviceType))},
                                 {"positions", view.configuration.positions3 ? "3" : "2"},
                                 {"input", JsonString(view.configuration.voltageMode ? "voltage" : "current")},
                                 {"lvdt", view.configuration.lvdtMode ? "true" : "false"},
                                 {"remote_control", view.configuration.remoteControl ? "true" : "false"},
                                 {"profile", JsonString(profile)}});
      out << JsonObject(items);
      return int{ExitDone};
    }
    out << params::FirmwareText(view.identity.firmware) << '\n';
    if (serialShown) out << "Serial number: " << IdentityText(view.identity.serialNumber) << '\n';
    out << "Type: " << IdentityText(view.identity.deviceType) << '\n'
        << "Positions: " << (view.configuration.positions3 ? 3 : 2) << '\n'
        << "Input: " << (view.configuration.voltageMode ? "voltage" : "current") << '\n'
        << "LVDT: " << Yes(view.configuration.lvdtMode) << '\n'
        << "Remote control: " << Yes(view.configuration.remoteControl) << '\n'
        << "Profile: " << profile << '\n';
    return int{ExitDone};
  });
}

void ParameterTable(const CliView& view, const params::HeldParameters& held, int level, std::ostream& out) {
  out << std::left << std::setw(20) << "NAME" << std::setw(6) << "REG" << std::setw(16) << "VALUE" << std::setw(6)
      << "UNIT"
      << "MEANING\n";
  for (const params::ParameterRegister& row : params::ParameterSet) {
    if (row.number == params::reg::Configuration) continue;
    if (ShowLevel(row.field) > level) continue;
    std::string value;
    if (row.holder == params::Holder::Held) {
      value = params::FieldText(row, *held.WordOf(row.number), view.decimalSeparator());
    } else {
      const auto it = view.fields.find(row.field);
      if (it == view.fields.end()) continue;
      value = it->second.text;
    }
    out << std::setw(20) << row.field << std::setw(6) << row.number << std::setw(16) << value << std::setw(6)
        << UnitOf(row) << row.meaning << '\n';
  }
}

int Read(Context& c) {
  if (c.has("--cfg")) return SaveProfiles(c);
  const int level = AccessLevel(c.io, true);
  return WithLink(c, [&] {
    CliView view;
    params::ReadParameterSet(c.port(), c.valve(), view);
    if (c.has("--json")) c.io.out << ParameterFileJson(view, c.valve().Held, level);
    else ParameterTable(view, c.valve().Held, level, c.io.out);
    if (level == 0)
      c.note("Access level 0 shows no parameters; give the password in " + std::string(PasswordVariable) + ".");
    return int{ExitDone};
  });
}

// Says why the file is not sent; the exit code of the gravest problem.
int Refused(Context& c, const std::vector<WriteProblem>& problems) {
  int code = ExitRefused;
  for (const WriteProblem& p : problems) {
    c.io.err << ProgramName << ": refused: " << p.text;
    if (p.kind == WriteProblem::Range) c.io.err << " (--allow-out-of-range sends it)";
    if (p.kind == WriteProblem::Level) c.io.err << " (set " << PasswordVariable << ")";
    c.io.err << '\n';
    if (p.kind != WriteProblem::Level) code = ExitFileError;
  }
  if (std::any_of(problems.begin(), problems.end(),
                  [](const WriteProblem& p) { return p.text.starts_with("the file is for another valve"); }))
    c.io.err << ProgramName << ": --other-valve sends a file read from another valve\n";
  c.io.err << ProgramName << ": nothing was sent\n";
  return code;
}

int Write(Context& c) {
  const std::string& path = c.arguments.front();
  std::string text;
  try {
    text = platform::ReadInputFile(path, platform::JsonFileLimit);
  } catch (const platform::FileError& e) {
    c.io.err << ProgramName << ": " << e.english() << "; nothing was sent\n";
    return ExitFileError;
  }
  ParameterFile file;
  try {
    file = ParseParameterFile(text);
  } catch (const FileError& e) {
    c.io.err << ProgramName << ": " << path << ": " << e.what() << "; nothing was sent\n";
    return ExitFileError;
  }
  const int level = AccessLevel(c.io, true);
  if (file.level() > level) {
    c.io.err << ProgramName << ": refused: changing these parameters needs access level " << file.level() << " (set "
             << PasswordVariable << "); nothing was sent\n";
    return ExitRefused;
  }
  return WithLink(c, [&] {
    // The send writes the whole set: what the file leaves out goes back as read.
    CliView view;
    params::ReadParameterSet(c.port(), c.valve(), view);
    if (c.linkErrors > 0) return int{ExitLinkFailure};
    const ValveSet valve{
        params::ConfigurationWordOf(view, c.valve().Held),
        [&c, &view](const params::ParameterRegister& row) -> std::uint32_t {
          if (row.holder == params::Holder::Held) return *c.valve().Held.WordOf(row.number);
          const auto it = view.fields.find(row.field);
          return it != view.fields.end() && it->second.keptWord ? *it->second.keptWord : 0;
        },
        [&c] { return params::PwmMaxOf(link::ReadRegister(c.port(), params::state::PwmMaxAndEnables)); },
        {IdentityText(view.identity.deviceType), view.configuration.positions3 ? 3 : 2, view.configuration.voltageMode,
         view.configuration.lvdtMode}};
    const std::vector<WriteProblem> problems =
        CheckWrite(file, valve, level, {c.has("--allow-out-of-range"), c.has("--other-valve")});
    if (c.linkErrors > 0) return int{ExitLinkFailure};
    if (!problems.empty()) return Refused(c, problems);
    if (file.configuration) params::ShowConfigurationWord(view, c.valve(), *file.configuration);
    for (const ParameterValue& v : file.values) {
      if (v.row->holder == params::Holder::Held) *c.valve().Held.WordOf(v.row->number) = v.word;
      else view.fields[std::string(v.row->field)] = {params::FieldText(*v.row, v.word, '.'), v.word};
    }
    CliQuestions questions(c.io.err);
    const bool store = c.has("--store");
    // The checks above refused values outside their range unless the user
    // allowed them; the sequence's own question about them is answered so.
    questions.allowOutOfRange = c.has("--allow-out-of-range");
    if (!params::SendParameterSet(c.port(), c.valve(), view, questions, store)) {
      c.io.err << ProgramName << ": values outside their limits; nothing was sent\n";
      return int{ExitFileError};
    }
    if (questions.errors > 0) return c.linkErrors > 0 ? int{ExitLinkFailure} : int{ExitFileError};
    return c.done(store ? "Parameters sent and stored." : "Parameters sent (not stored).");
  });
}

std::string Timestamp() { return QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toStdString(); }

inline constexpr const char* StopTextColumn = "StopText";

// The first line of a file, without its line end.
std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

int Status(Context& c) {
  double period = 0;
  const bool watch = c.has("--watch");
  if (watch) {
    const std::string& value = c.options.at("--watch");
    period = 1.5;
    if (!value.empty() && !ParseSeconds(value, period))
      return UsageError(c.io, "--watch needs a number of seconds", "status");
  }
  const bool json = c.has("--json");
  if (json && c.has("--csv")) return UsageError(c.io, "--csv and --json exclude each other", "status");
  // The file is opened (or refused) before the port: rows are appended to a
  // regular file only, and only under the header they belong to.
  std::unique_ptr<platform::AppendFile> csv;
  std::string csvHeader;
  try {
    if (const auto it = c.options.find("--csv"); it != c.options.end()) {
      csv = std::make_unique<platform::AppendFile>(it->second);
      if (csv->initialSize() > 0) csvHeader = FirstLine(platform::ReadInputStart(it->second, 4096));
    }
  } catch (const platform::FileError& e) {
    c.io.err << ProgramName << ": " << e.english() << '\n';
    return ExitFileError;
  }
  const int level = AccessLevel(c.io, false);
  return WithLink(c, [&] {
    try {
      const params::ConfigWord config =
          params::ConfigWord::Decode(params::ReadParameterWord(c.port(), params::reg::Configuration));
      params::ReadHardwareFlags(c.port(), c.valve());
      const status::RefreshModes modes{config.lvdtMode, config.voltageMode};
      const StatusUnits units{config.lvdtMode, config.voltageMode};
      const std::string header = StatusCsvHeader(units);
      if (csv && csv->initialSize() > 0 && csvHeader + "\n" != header) {
        c.io.err << ProgramName << ": " << c.options.at("--csv")
                 << ": its header differs from this valve's status columns; nothing was appended (name a new file)\n";
        return int{ExitFileError};
      }
      CliView view;
      int rows = 0;
      const auto start = std::chrono::steady_clock::now();
      for (;;) {
        view.clearTexts();
        status::StatusRefresh(c.port(), c.valve(), c.session->status, view, modes);
        // Only what the window shows at the user's level: the rest stays empty.
        for (const std::string& name : view.order)
          if (!app::WindowShows(name, level, config.positions3)) {
            view.setText(name, "");
            view.setVisible(name, false);
          }
        // The stop code in words, as the stop label's hint lists it above level 1.
        const std::int32_t stop = c.session->status.LastStopCode;
        if (level > 1 && stop >= 0 && static_cast<std::uint32_t>(stop) != status::NoStop)
          view.setText(StopTextColumn, std::string(status::StopCodeText(static_cast<std::uint32_t>(stop))));
        else view.setVisible(StopTextColumn, false);
        const std::string time = Timestamp();
        if (json) {
          c.io.out << StatusJson(view, units, time) << std::flush;
        } else if (!watch && !csv) {
          for (const std::string& name : view.order)
            if (!view.hidden.contains(name)) c.io.out << name << ": " << CliQuestions::Trimmed(view.text(name)) << '\n';
        } else if (csv) {
          csv->append((rows == 0 && csv->initialSize() == 0 ? header : std::string()) +
                      StatusCsvRow(view, units, time));
        } else {
          c.io.out << (rows == 0 ? header : std::string()) << StatusCsvRow(view, units, time) << std::flush;
        }
        // Standard output that cannot be written ends the watch (exit 3 at the end).
        if (!c.io.out) return int{ExitFileError};
        ++rows;
        if (!watch) return int{ExitDone};
        // The next row at its place on the grid from the start, so rows do not drift.
        const auto next = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(period * rows));
        while (std::chrono::steady_clock::now() < next) {
          if (c.io.stopRequested(rows)) return int{ExitDone};
          std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
              next - std::chrono::steady_clock::now(), std::chrono::milliseconds(100)));
        }
        if (c.io.stopRequested(rows)) return int{ExitDone};
      }
    } catch (const Interrupted&) {
      // Ctrl+C is how a watch ends.
      if (!watch) throw;
      return int{ExitDone};
    }
  });
}

// ---- the change log -------------------------------------------------------------

int Log(Context& c) {
  std::optional<std::string> serial;
  if (const auto it = c.options.find("--serial"); it != c.options.end()) serial = it->second;
  return PrintChangeLog(c.io, serial, c.quiet);
}

// ---- report ------------------------------------------------------------------

int Report(Context& c) {
  const int level = AccessLevel(c.io, true);
  if (level < ReportLevel) {
    c.io.err << ProgramName << ": refused: the report needs access level " << ReportLevel << " (set "
             << PasswordVariable << "); nothing was sent\n";
    return ExitRefused;
  }
  const std::string& path = c.arguments.front();
  if (const std::optional<platform::FileError> problem = platform::OutputProblem(path)) {
    c.io.err << ProgramName << ": " << problem->english() << "; nothing was written\n";
    return ExitFileError;
  }
  return WithLink(c, [&] {
    CliQuestions questions(c.io.err);
    std::string written;
    const int code = WriteReport(c.port(), path, level, questions, c.io.err, &written);
    if (code == ExitDone) c.note("Report written to " + written + ".");
    return code;
  });
}

// ---- several valves at once -------------------------------------------------------

// The commands that may name several ports: each valve is talked to on a
// thread of its own, with a session, change log and history of its own.
constexpr std::string_view ManyValveCommands[] = {"info", "read", "status", "write", "report"};

const char* ResultText(int code) {
  switch (code) {
    case ExitDone: return "done";
    case ExitUsage: return "usage error";
    case ExitLinkFailure: return "link failure";
    case ExitFileError: return "file error";
    case ExitRefused: return "refused";
    case ExitInterrupted: return "interrupted";
    default: return "failed";
  }
}

// Why the command cannot run on these ports at once; nothing when it can.
std::optional<std::string> ManyValveProblem(const Context& c, const std::vector<std::string>& ports) {
  if (std::find(std::begin(ManyValveCommands), std::end(ManyValveCommands), c.command.name) ==
      std::end(ManyValveCommands))
    return "--port may be given several times only for info, read, status, write and report";
  for (std::size_t i = 0; i < ports.size(); ++i) {
    if (ComNumber(ports[i]) == 0) return "--port needs COM1 to COM16";
    for (std::size_t j = 0; j < i; ++j)
      if (ComNumber(ports[j]) == ComNumber(ports[i])) return ports[i] + " is named twice";
  }
  if (c.has("--cfg")) return "--cfg reads one valve's profiles into one file: give one --port";
  if (c.has("--watch") || c.has("--csv")) return "--watch and --csv follow one valve: give one --port";
  if (c.command.name == "report" && c.arguments.front().find(SerialPlaceholder) == std::string::npos)
    return "the reports of several valves need " + std::string(SerialPlaceholder) +
           " in the file name, e.g. raport-{serial}.pdf";
  return std::nullopt;
}

// Runs the command on each valve at the same time. Standard output holds each
// valve's output in the order the ports were named (under "[COMn]", or one
// JSON object keyed by port); standard error each valve's messages after its
// port, then one result line per valve. The exit code is the highest of them.
int RunOnEachValve(Context& c, const std::vector<std::string>& ports) {
  if (c.command.name == "report") EnsureGuiApplication();
  // Before the first valve's port opens (see LoadDrivers).
  history::LoadDrivers(history::ConfiguredLocation());
  // A password typed once serves every valve.
  std::mutex asking;
  std::optional<std::optional<std::string>> typed;
  const auto askPassword = [&]() -> std::optional<std::string> {
    const std::lock_guard lock(asking);
    if (!typed) typed = c.io.askPassword();
    return *typed;
  };
  struct Valve {
    std::ostringstream out, err;
    int code = ExitLinkFailure;
  };
  std::vector<Valve> valves(ports.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    threads.emplace_back([&, i] {
      Valve& v = valves[i];
      Io io{v.out, v.err};
      io.askPassword = askPassword;
      io.stopRequested = c.io.stopRequested;
      Context one{io, c.command, c.options, c.arguments};
      one.options["--port"] = ports[i];
      one.quiet = c.quiet;
      try {
        v.code = c.command.run(one);
      } catch (const std::exception& e) {
        v.err << ProgramName << ": " << e.what() << '\n';
      }
      // The valve's history database belongs to this thread.
      CloseHistory();
    });
  }
  for (std::thread& t : threads) t.join();

  const bool json = c.has("--json");
  int worst = ExitDone;
  if (json) c.io.out << "{";
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string out = valves[i].out.str();
    if (json) {
      c.io.out << (i ? ",\n " : "\n ") << JsonString(ports[i]) << ": " << (out.empty() ? "null" : out);
    } else if (!out.empty()) {
      c.io.out << "[" << ports[i] << "]\n" << out;
    }
    std::istringstream err(valves[i].err.str());
    for (std::string line; std::getline(err, line);) c.io.err << ports[i] << ": " << line << '\n';
    worst = std::max(worst, valves[i].code);
  }
  if (json) c.io.out << "\n}\n";
  for (std::size_t i = 0; i < ports.size(); ++i)
    c.io.err << ProgramName << ": " << ports[i] << ": " << ResultText(valves[i].code) << " (exit " << valves[i].code
             << ")\n";
  return worst;
}

}  // namespace

int Run(const std::vector<std::string>& args, Io& io) {
  NameProgramFolderToQt();
  if (args.empty()) return UsageError(io, "no command given");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    GeneralHelp(io.out);
    return FinishStandardOutput(io.out, io.err, ExitDone);
  }
  const auto& commands = Commands();
  const auto command =
      std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return c.name == args[0]; });
  if (command == commands.end()) return UsageError(io, "unknown command '" + args[0] + "'");

  Context c{io, *command, {}, {}};
  const std::vector<Option> options = OptionsOf(*command);
  std::vector<std::string> ports;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 1 && a[0] == '-') {
      const auto o = std::find_if(options.begin(), options.end(), [&](const Option& known) { return known.name == a; });
      if (o == options.end()) return UsageError(io, "unknown option '" + a + "'", command->name);
      std::string value;
      if (!o->value.empty()) {
        const bool optional = o->value.front() == '[';
        double ignored;
        if (i + 1 < args.size() && (!optional || ParseSeconds(args[i + 1], ignored))) value = args[++i];
        else if (!optional) return UsageError(io, a + " needs " + std::string(o->value), command->name);
      }
      c.options[a] = value;
      if (a == PortOption.name) ports.push_back(value);
    } else {
      c.arguments.push_back(a);
    }
  }
  if (c.has("--help")) {
    CommandHelp(*command, io.out);
    return FinishStandardOutput(io.out, io.err, ExitDone);
  }
  // "A [B]": one argument, and a second one that may be left out.
  const std::size_t wanted = command->arguments.empty() ? 0 : 1;
  const std::size_t most = wanted + (command->arguments.find('[') != std::string_view::npos ? 1 : 0);
  if (c.arguments.size() < wanted || c.arguments.size() > most)
    return UsageError(io,
                      c.arguments.size() < wanted ? "expected " + std::string(command->arguments)
                                                  : "unexpected '" + c.arguments[most] + "'",
                      command->name);
  c.quiet = c.has("--quiet");
  if (ports.size() > 1) {
    if (const std::optional<std::string> problem = ManyValveProblem(c, ports))
      return UsageError(io, *problem, command->name);
    return FinishStandardOutput(io.out, io.err, RunOnEachValve(c, ports));
  }
  const int code = command->run(c);
  // The database closes before the program's static objects go.
  CloseHistory();
  return FinishStandardOutput(io.out, io.err, code);
}

}  // namespace tvx::cli
