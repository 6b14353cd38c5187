// The commissioning report as a printable A4 PDF (Qt's PDF writer): the
// maker's heading, the valve's identity, the status snapshot, the parameter
// set, the regulation chart drawn by the chart's own picture code, and empty
// lines for the signatures. QtGui only; a QGuiApplication must exist.
#pragma once

#include "report/report_content.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace tvx::report {

struct ReportHeading {
  QString maker;           // the company
  QStringList makerLines;  // address and contact, one a line
  QString program;         // the tool's name and version, for the page footer
  QDateTime when;
  char decimalSeparator = ',';
};

// A report file that could not be written: what() is the window's message,
// path() and reason() (the system's words) are for the command line.
class ReportFileError : public std::runtime_error {
 public:
  ReportFileError(const QString& path, const QString& reason);
  const QString& path() const { return path_; }
  const QString& reason() const { return reason_; }

 private:
  QString path_, reason_;
};

// Writes the report to `path` whole or not at all (QSaveFile): a file that was
// there stays as it was when the write fails. Throws ReportFileError.
void WriteReportPdf(const QString& path, const ReportContent& content, const ReportHeading& heading);

}  // namespace tvx::report
