// Qt's own texts in Polish: the buttons of message boxes, the file dialogs and
// the directory chooser, the standard context menus. The program's own texts
// are Polish already; these come from Qt's translation catalogue "qtbase_pl",
// found in a "translations" folder beside the executable (how the Windows
// build ships it) or else in Qt's translations folder (on Debian from the
// package qt6-translations-l10n).
#pragma once

class QCoreApplication;

namespace tvx::ui {

// Installs the catalogue on `app`; false when none was found (Qt's English
// texts stay).
bool LoadQtPolishTranslations(QCoreApplication& app);

}  // namespace tvx::ui
