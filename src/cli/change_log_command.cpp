#include "cli/change_log_command.h"

#include "app/change_log_place.h"
#include "link/change_log.h"
#include "platform/program_files.h"

#include <filesystem>
#include <sstream>

namespace tvx::cli {

namespace {
// Years of lines; a file beyond it is no change log of this program.
constexpr std::size_t ChangeLogReadLimit = std::size_t{256} * 1024 * 1024;
}  // namespace

void InstallChangeLog(std::ostream& err) {
  link::SetChangeLogFile(app::ChangeLogFilePath());
  link::SetChangeLogFailureReporter([&err](const std::string& file, const std::string& reason) {
    err << ProgramName << ": cannot write the change log " << file << " (" << reason
        << "); the valve's operations go on without it\n";
  });
}

int PrintChangeLog(Io& io, const std::optional<std::string>& serialNumber, bool quiet) {
  const std::filesystem::path file = app::ChangeLogFilePath();
  const std::u8string name = file.u8string();
  std::string text;
  try {
    // Read once, bounded; a FIFO or a device at the log's place is refused.
    text = platform::ReadInputFile(std::string(name.begin(), name.end()), ChangeLogReadLimit);
  } catch (const platform::FileError& e) {
    if (e.fault() == platform::FileFault::NotFound) {
      if (!quiet) io.err << "Nothing has been written to a valve yet (no " << file.string() << ").\n";
      return ExitDone;
    }
    io.err << ProgramName << ": " << e.english() << '\n';
    return ExitFileError;
  }
  std::istringstream in(text);
  // Time, serial number, type, firmware, operation, what was sent.
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (serialNumber) {
      const auto start = line.find('\t');
      const auto end = start == std::string::npos ? start : line.find('\t', start + 1);
      if (end == std::string::npos || line.compare(start + 1, end - start - 1, *serialNumber) != 0) continue;
    }
    io.out << line << '\n';
  }
  return ExitDone;
}

}  // namespace tvx::cli
