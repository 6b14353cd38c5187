// The GUI tests run the real windows offscreen, with the program's application
// object (so escaped errors are shown as the program shows them) and the link's
// hooks installed.
#include "app/link_hooks.h"
#include "link/change_log.h"
#include "ui/application.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QFont>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  tvx::ui::Application app(argc, argv);
#ifdef Q_OS_WIN
  // Offscreen, Qt draws with the fonts of a folder (QT_QPA_FONTDIR), which has
  // no Arial: Liberation Sans has its widths, as on Linux.
  QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
#endif
  tvx::ui::InstallQtTranslation(app);
  tvx::ui::ApplyProgramFont(app);
  tvx::app::InstallLinkHooks();
  // The change log of the windows' operations, never the user's own.
  QTemporaryDir logFolder;
  tvx::link::SetChangeLogFile(QFile::encodeName(logFolder.filePath(QStringLiteral("change-log.txt"))).toStdString());
  // The program's settings (the folders its file dialogs remember), never the user's own.
  QTemporaryDir settingsFolder;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
