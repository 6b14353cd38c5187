// Where the change log is kept, for the window and the command line tool
// alike: the file named by TARVELMUNDIX_CHANGELOG when it is set (tests and
// CI), else change-log.txt in the program's data folder
// (~/.local/share/tarvelmundix on Linux, %APPDATA%\tarvelmundix on Windows).
// Qt Core only.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <filesystem>

namespace tvx::app {

inline constexpr const char* ChangeLogVariable = "TARVELMUNDIX_CHANGELOG";

inline QString ChangeLogPath() {
  QString chosen = qEnvironmentVariable(ChangeLogVariable);
  if (!chosen.isEmpty()) return chosen;
  // The window names itself so; the command line tool has no application
  // object and names the same folder here.
  if (QCoreApplication::applicationName().isEmpty())
    QCoreApplication::setApplicationName(QStringLiteral("tarvelmundix"));
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/change-log.txt");
}

inline std::filesystem::path ChangeLogFilePath() {
#ifdef _WIN32
  return std::filesystem::path(ChangeLogPath().toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(ChangeLogPath()).toStdString());
#endif
}

}  // namespace tvx::app
