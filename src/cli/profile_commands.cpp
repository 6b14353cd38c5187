// read --cfg FILE and load --cfg FILE: the three user profiles between the
// valve's EEPROM and a configuration file, by the profiles dialog's own
// sequences, at the access level the dialog needs.
#include "cli/cli_command.h"

#include "link/comm_error.h"
#include "link/pump_wait.h"
#include "params/cfg_file.h"
#include "params/parameter_set.h"
#include "params/profiles.h"
#include "params/qt_cfg_storage.h"
#include "platform/program_files.h"
#include "scope_guard.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace tvx::cli {

namespace {

// The profiles dialog: only the bank in progress is shown, as progress.
class CliProfileDialog : public params::ProfileDialog {
 public:
  explicit CliProfileDialog(Progress& progress) : progress_(progress) {}
  void CheckBank(int bank) override {
    if (busy_) progress_.show(bank, params::cfgfile::Banks);
  }
  std::optional<int> CheckedProfile() const override { return std::nullopt; }
  void MarkProfiles(std::uint32_t) override {}
  void SetBusy(params::ProfileBusy busy) override { busy_ = busy != params::ProfileBusy::None; }
  void Beep() override {}

 private:
  Progress& progress_;
  bool busy_ = false;
};

// The file named on the command line; the dialog's messages go to standard
// error and count as errors.
class CliProfileQuestions : public params::ProfileQuestions {
 public:
  CliProfileQuestions(std::string path, std::ostream& err) : path_(std::move(path)), err_(err) {}
  int errors = 0;

  std::optional<std::string> SaveFileName() override { return path_; }
  std::optional<std::string> OpenFileName() override { return path_; }
  // The file named on the command line replaces one that is there.
  bool Confirm(const std::string&, const std::string&) override { return true; }
  void Inform(const std::string& text, const std::string& caption) override {
    err_ << CliQuestions::Trimmed(caption) << ": " << CliQuestions::Trimmed(text) << '\n';
    ++errors;
  }

 private:
  std::string path_;
  std::ostream& err_;
};

// Which profiles a load stored and which not.
std::string StoredText(int stored) {
  const int banks = params::cfgfile::Banks;
  const auto range = [](int from, int to) {
    return from == to ? "profile " + std::to_string(from)
                      : "profiles " + std::to_string(from) + " to " + std::to_string(to);
  };
  if (stored == 0) return "no profile was stored; " + range(1, banks) + " keep what they held";
  return range(1, stored) + " stored, " + range(stored + 1, banks) +
         (stored + 1 == banks ? " keeps what it held" : " keep what they held");
}

// The profiles dialog opens from the main window's profile panel.
int ProfilesLevel() { return LevelToOperate({"BankPanel", "SelectSetup"}); }

// A configuration file read once and judged: the load takes these very bytes,
// whatever happens to the file on disk meanwhile.
class JudgedCfgStorage : public params::CfgStorage {
 public:
  explicit JudgedCfgStorage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Exists(const std::string&) override { return true; }
  std::optional<std::vector<std::uint8_t>> Read(const std::string&, std::size_t limit) override {
    return std::vector<std::uint8_t>(bytes_.begin(),
                                     bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(limit, bytes_.size())));
  }
  void Write(const std::string&, const std::vector<std::uint8_t>&) override {
    throw std::logic_error("a judged configuration file is only read");
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

int RunProfiles(Context& c, const char* what, void (params::ProfileOperations::*operation)(),
                params::CfgStorage& storage) {
  const std::string& path = c.options.at("--cfg");
  Progress progress(c, what);
  CliProfileDialog dialog(progress);
  CliProfileQuestions questions(path, c.io.err);
  params::ProfileOperations operations(c.port(), c.valve(), dialog, questions, storage);
  // Ctrl+C is taken as the dialog's Cancel: a load stops after the profile in
  // progress, so no profile is left half written.
  bool interrupted = false;
  link::SetPumpHook([&](std::chrono::nanoseconds maxWait) {
    if (!interrupted && c.io.stopRequested(0)) {
      interrupted = true;
      operations.RequestStop();
    }
    if (maxWait.count() > 0) std::this_thread::sleep_for(maxWait);
  });
  const ScopeGuard unhook([] { link::SetPumpHook({}); });
  try {
    (operations.*operation)();
  } catch (const link::UsbError&) {
    // Reported already, with the profiles the valve now holds.
    if (operation == &params::ProfileOperations::LoadFromFile)
      c.io.err << ProgramName << ": the link failed: " << StoredText(operations.StoredProfiles()) << '\n';
    throw;
  } catch (const link::ConversionError&) {
    throw;
  } catch (const platform::FileError& e) {
    c.io.err << ProgramName << ": " << e.english() << '\n';
    return ExitFileError;
  } catch (const std::runtime_error& e) {
    // A file that cannot be read or written.
    c.io.err << ProgramName << ": " << e.what() << '\n';
    return ExitFileError;
  }
  if (questions.errors > 0) return ExitFileError;
  if (operation == &params::ProfileOperations::LoadFromFile && operations.StoredProfiles() < params::cfgfile::Banks) {
    c.io.err << ProgramName << ": " << (interrupted ? "interrupted" : "stopped") << ": "
             << StoredText(operations.StoredProfiles()) << '\n';
    return ExitFileError;
  }
  return ExitDone;
}

}  // namespace

int SaveProfiles(Context& c) {
  if (c.has("--json")) return UsageError(c.io, "--cfg and --json exclude each other", "read");
  if (const std::optional<int> refused = RefusedBelow(c, ProfilesLevel(), "saving the profiles")) return *refused;
  // A target that cannot be written is refused before the profiles are read.
  if (const std::optional<platform::FileError> problem = platform::OutputProblem(c.options.at("--cfg"))) {
    c.io.err << ProgramName << ": " << problem->english() << "; nothing was written\n";
    return ExitFileError;
  }
  params::QtCfgStorage storage;
  return WithLink(c, [&] {
    const int code = RunProfiles(c, "Saving the profiles", &params::ProfileOperations::SaveToFile, storage);
    if (code != ExitDone) return code;
    return c.done("Profiles 1 to 3 saved to " + c.options.at("--cfg") + ".");
  });
}

int LoadProfiles(Context& c) {
  if (!c.has("--cfg")) return UsageError(c.io, "load needs --cfg FILE", "load");
  if (const std::optional<int> refused = RefusedBelow(c, ProfilesLevel(), "loading profiles")) return *refused;
  // The file is read once and judged before the port is opened: nothing of a
  // damaged or incomplete file reaches the valve, and the load sends the
  // bytes that were judged.
  const std::string& path = c.options.at("--cfg");
  std::vector<std::uint8_t> judged;
  try {
    params::QtCfgStorage disk;
    params::CfgFileCheck check = params::JudgeCfgFile(disk, path, true);
    if (!check.bytes) {
      // The dialog's own message on a line of its own.
      c.io.err << CliQuestions::Trimmed(params::profiletext::ErrorCaption) << ": "
               << CliQuestions::Trimmed(check.problem) << '\n'
               << ProgramName << ": " << path << ": refused; nothing was sent\n";
      return int{ExitFileError};
    }
    judged = std::move(*check.bytes);
  } catch (const platform::FileError& e) {
    c.io.err << ProgramName << ": " << e.english() << "; nothing was sent\n";
    return int{ExitFileError};
  }
  JudgedCfgStorage storage(std::move(judged));
  return WithLink(c, [&] {
    params::ReadLoggedValve(c.port());  // the change log names the valve its lines are about
    const int code = RunProfiles(c, "Loading the profiles", &params::ProfileOperations::LoadFromFile, storage);
    if (code != ExitDone) return code;
    return c.done("Profiles 1 to 3 loaded into the valve's EEPROM from " + path + ".");
  });
}

}  // namespace tvx::cli
