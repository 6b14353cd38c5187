// `report FILE.pdf`: the commissioning report, read from the valve through the
// window's sequences and written as a PDF.
#pragma once

#include "link/port.h"
#include "view/questions.h"

#include <ostream>
#include <string>
#include <string_view>

namespace tvx::cli {

// The access level the report needs, as F9 in the window.
inline constexpr int ReportLevel = 2;

// The report's file name may hold the valve's serial number, e.g.
// "raport-{serial}.pdf".
inline constexpr std::string_view SerialPlaceholder = "{serial}";
// `pattern` with every SerialPlaceholder replaced by the serial number, made
// fit for a file name.
std::string ReportPath(const std::string& pattern, const std::string& serialNumber);

// Reads the report with the port open and writes it to `pathPattern` (its
// placeholder filled in; the name used goes to `written`); the exit code (a
// file that cannot be written gives ExitFileError, nothing left behind).
int WriteReport(link::Port& port, const std::string& pathPattern, int level, view::Questions& questions,
                std::ostream& err, std::string* written = nullptr);

// Fonts and pictures need a QGuiApplication: makes one (off screen) unless
// the process has an application object. The thread that calls it first must
// be the program's main thread.
void EnsureGuiApplication();
// On Windows Qt searches the program's folder for its plugins (the history's
// SQLite driver, the report's platform) only once an application object
// exists, which most commands never make: this names the folder to Qt.
// Nothing elsewhere.
void NameProgramFolderToQt();

}  // namespace tvx::cli
