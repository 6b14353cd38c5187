#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tvx::ui {

bool LoadQtPolishTranslations(QCoreApplication& app) {
  const QStringList folders = {
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
      QLibraryInfo::path(QLibraryInfo::TranslationsPath),
  };
  auto* translator = new QTranslator(&app);
  for (const QString& folder : folders) {
    if (translator->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                         folder)) {
      return QCoreApplication::installTranslator(translator);
    }
  }
  delete translator;
  return false;
}

}  // namespace tvx::ui
