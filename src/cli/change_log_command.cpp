#include "cli/change_log_command.h"

#include "app/change_log_place.h"
#include "link/change_log.h"

#include <filesystem>
#include <fstream>

namespace tvx::cli {

void InstallChangeLog(std::ostream& err) {
  link::SetChangeLogFile(app::ChangeLogFilePath());
  link::SetChangeLogFailureReporter([&err](const std::string& file, const std::string& reason) {
    err << ProgramName << ": cannot write the change log " << file << " (" << reason
        << "); the valve's operations go on without it\n";
  });
}

int PrintChangeLog(Io& io, const std::optional<std::string>& serialNumber, bool quiet) {
  const std::filesystem::path file = app::ChangeLogFilePath();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    if (!quiet) io.err << "Nothing has been written to a valve yet (no " << file.string() << ").\n";
    return ExitDone;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    io.err << ProgramName << ": cannot read " << file.string() << '\n';
    return ExitFileError;
  }
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
