// The heading of the commissioning report: the maker, its contact lines and
// the tool's name, shared by the window (F9) and the command line tool.
#pragma once

#include "app/maker_info.h"
#include "program_info.h"
#include "report/report_pdf.h"

namespace tvx::app {

inline report::ReportHeading MakerReportHeading(char decimalSeparator) {
  report::ReportHeading heading;
  heading.maker = QString::fromUtf8(MakerCompany);
  heading.makerLines = {QString::fromUtf8(MakerStreet) + QStringLiteral(", ") + QString::fromUtf8(MakerTown),
                        QString::fromUtf8(MakerPhone) + QStringLiteral(", ") + QString::fromUtf8(MakerMail)};
  heading.program = QString::fromUtf8(tvx::ProgramName) + QStringLiteral(" ") + QString::fromUtf8(SoftwareVersion);
  heading.when = QDateTime::currentDateTime();
  heading.decimalSeparator = decimalSeparator;
  return heading;
}

}  // namespace tvx::app
