#include "cli/cli_report.h"

#include "app/access_tags.h"
#include "app/report_heading.h"
#include "cli/cli.h"
#include "cli/cli_command.h"
#include "program_font.h"
#include "report/report_content.h"

#include <QGuiApplication>

#include <memory>
#include <mutex>

#ifdef Q_OS_WIN
#include <QFileInfo>
#include <windows.h>
#endif

namespace tvx::cli {

// Fonts and the chart picture need a QGuiApplication; the tool shows no
// window, so on Linux it runs on the offscreen platform whatever the display
// (on Windows the system's own platform needs no display and ships with the
// program).
void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
#ifdef Q_OS_WIN
  static int argc = 1;
#else
  static int argc = 3;
#endif
  static char name[] = "tarvelmundix-cli", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
  // The windows' font, so that the chart looks as it does there.
  QGuiApplication::setFont(ProgramFont());
}

void NameProgramFolderToQt() {
#ifdef Q_OS_WIN
  static std::once_flag once;
  std::call_once(once, [] {
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
      QCoreApplication::addLibraryPath(
          QFileInfo(QString::fromWCharArray(module, static_cast<int>(length))).absolutePath());
  });
#endif
}

std::string ReportPath(const std::string& pattern, const std::string& serialNumber) {
  std::string serial;
  for (const char c : serialNumber) {
    const auto byte = static_cast<unsigned char>(c);
    // Nothing a file name cannot hold on either system, no folder of its own.
    serial +=
        byte < 0x20 || byte >= 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos ? '_' : c;
  }
  if (serial.empty() || serial.find_first_not_of('.') == std::string::npos) serial = "bez-numeru";
  std::string path = pattern;
  for (auto at = path.find(SerialPlaceholder); at != std::string::npos;
       at = path.find(SerialPlaceholder, at + serial.size()))
    path.replace(at, SerialPlaceholder.size(), serial);
  return path;
}

int WriteReport(link::Port& port, const std::string& pathPattern, int level, view::Questions& questions,
                std::ostream& err, std::string* written) {
  EnsureGuiApplication();
  const report::ReportContent content = report::ReadReport(port, app::ShownAtLevel(level), ',', questions);
  // The serial number as the report shows it (none below the level that sees it).
  const std::string path = ReportPath(pathPattern, content.serialNumber);
  if (written) *written = path;
  // What the report says about storage, also where the user sees it at once.
  err << CliQuestions::Trimmed(content.storage.summary) << '\n';
  for (const report::Entry& e : content.storage.differences) err << "  " << e.name << ": " << e.value << '\n';
  if (content.storage.hiddenDifferences > 0)
    err << "  " << content.storage.hiddenDifferences << " more not shown at this access level\n";
  try {
    report::WriteReportPdf(QString::fromStdString(path), content, app::MakerReportHeading(','));
  } catch (const report::ReportFileError& e) {
    err << cli::ProgramName << ": cannot write the report to " << e.path().toStdString() << ": "
        << e.reason().toStdString() << "; nothing was written\n";
    return ExitFileError;
  }
  return ExitDone;
}

}  // namespace tvx::cli
