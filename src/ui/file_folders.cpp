#include "ui/file_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace tvx::ui {

namespace {

QString Key(FileFolder kind) {
  switch (kind) {
    case FileFolder::Configuration: return QStringLiteral("folders/configuration");
    case FileFolder::ChartPicture: return QStringLiteral("folders/chart");
    case FileFolder::Report: return QStringLiteral("folders/report");
    case FileFolder::DriverExport: return QStringLiteral("folders/drivers");
  }
  return {};
}

QSettings Settings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tarvelmundix"),
                   QStringLiteral("tarvelmundix"));
}

}  // namespace

QString StartFolder(FileFolder kind) {
  QString remembered = Settings().value(Key(kind)).toString();
  if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) return remembered;
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

void RememberFolder(FileFolder kind, const QString& chosen, bool isFolder) {
  if (chosen.isEmpty()) return;
  const QFileInfo info(chosen);
  Settings().setValue(Key(kind), QDir::cleanPath(isFolder ? info.absoluteFilePath() : info.absolutePath()));
}

}  // namespace tvx::ui
