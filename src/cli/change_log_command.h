// The change log on the command line: the tool's own writes go into it, and
// `log` prints it.
#pragma once

#include "cli/cli.h"

#include <optional>
#include <ostream>
#include <string>

namespace tvx::cli {

// The writes of this run are logged; a log that cannot be written is told
// once on `err` and stops nothing.
void InstallChangeLog(std::ostream& err);

// Prints the log as it stands, or only the lines of one serial number.
int PrintChangeLog(Io& io, const std::optional<std::string>& serialNumber, bool quiet);

}  // namespace tvx::cli
