// `report FILE.pdf`: the commissioning report, read from the valve through the
// window's sequences and written as a PDF.
#pragma once

#include "link/port.h"
#include "view/questions.h"

#include <ostream>
#include <string>

namespace tvx::cli {

// The access level the report needs, as F9 in the window.
inline constexpr int ReportLevel = 2;

// Reads the report with the port open and writes it to `path`; the exit code
// (a file that cannot be written gives ExitFileError, nothing left behind).
int WriteReport(link::Port& port, const std::string& path, int level, view::Questions& questions, std::ostream& err);

}  // namespace tvx::cli
