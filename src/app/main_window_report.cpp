// TPgm: F9, the commissioning report. The report reads the valve through the
// window's sequences (src/report) and is written as a PDF; here the handler
// guards, asks for the file and delegates.
#include "app/access_tags.h"
#include "app/definitions.h"
#include "app/main_window.h"
#include "app/report_heading.h"
#include "link/port.h"
#include "report/report_content.h"
#include "scope_guard.h"
#include "ui/application.h"
#include "ui/file_folders.h"
#include "ui/number_fields.h"
#include "ui/prompts.h"

#include <QDate>
#include <QDir>
#include <QGuiApplication>

namespace tvx::app {

namespace {

constexpr int ReportLevel = 2;

}  // namespace

bool TPgm::ReportShortCut() {
  if (AccessLevel < ReportLevel || !port_.PortOpen.load()) return false;
  if (!Exchanging()) ui::RunGuarded([this] { WriteReport(); });
  return true;
}

void TPgm::WriteReport() {
  StopAutoTimer();
  ui::Prompts::FileRequest request;
  request.caption = QStringLiteral("Zapisz protokół uruchomienia");
  request.directory = ui::StartFolder(ui::FileFolder::Report);
  request.fileName = QStringLiteral("Protokol_uruchomienia_%1.pdf").arg(QDate::currentDate().toString(Qt::ISODate));
  request.filter = QStringLiteral("Dokumenty PDF (*.pdf)");
  request.defaultSuffix = QStringLiteral("pdf");
  const std::optional<QString> path = ui::CurrentPrompts().saveFileName(this, request);
  if (!path) return;
  ui::RememberFolder(ui::FileFolder::Report, *path);

  // The report's read-out runs over many exchanges: no refresh, timer tick
  // or click may start one between them.
  const HandlerTurn turn(this, {}, HandlerTurn::Focus::Passes, &session_.status.RefreshBusy);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const ScopeGuard cursor([] { QGuiApplication::restoreOverrideCursor(); });
  const char sep = ui::DecimalSeparator();
  const report::ReportContent content = report::ReadReport(port_, ShownAtLevel(AccessLevel), sep, ui::CurrentPrompts());
  try {
    report::WriteReportPdf(*path, content, MakerReportHeading(sep));
  } catch (const report::ReportFileError& e) {
    ui::CurrentPrompts().message(this, QString::fromStdString(e.what()), QStringLiteral(" Protokół uruchomienia"),
                                 ui::Prompts::Icon::Error);
  }
}

}  // namespace tvx::app
