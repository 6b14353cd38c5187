// The program's application object.
//
// Errors that escape an event handler (a "USB error" after a failed exchange, a
// conversion error, a failed file write) are caught in notify() and shown as the
// program's standard error box: the error text with a full stop added, the
// application title as caption and an error icon. The program goes on.
#pragma once

#include "program_font.h"

#include <QApplication>
#include <QFont>
#include <QString>

#include <functional>
#include <string>
#include <utility>

namespace tvx::ui {

// The text of the standard error box: `what` plus "." unless it ends in one.
QString EscapedErrorText(const QString& what);

// Shows the standard error box for an error text through Prompts, then runs
// the hook installed below (the main window closes a port whose device is gone).
void ShowEscapedError(const QString& what);
void SetAfterEscapedErrorHook(std::function<void()> hook);

// Runs a handler and shows an error that escapes it as the standard error box,
// right where the handler was called. Handlers connected to signals go through
// this, so an error never unwinds through the toolkit's own code; notify() is
// the net for everything else.
void RunGuarded(const std::function<void()>& handler);

// A slot that runs `handler` guarded: connect(button, &QPushButton::clicked,
// this, Guarded([this] { ...Click(); })).
template <class F>
auto Guarded(F handler) {
  return [handler = std::move(handler)] { RunGuarded(handler); };
}
// The same for a handler method of an object.
template <class T>
auto Guarded(T* object, void (T::*method)()) {
  return [object, method] { RunGuarded([object, method] { (object->*method)(); }); };
}
// The same for a handler method that takes the signal's one argument.
template <class T, class A>
auto Guarded(T* object, void (T::*method)(A)) {
  return [object, method](A argument) { RunGuarded([&] { (object->*method)(argument); }); };
}

class Application : public QApplication {
  Q_OBJECT
 public:
  Application(int& argc, char** argv);

  // The application title: the caption of the standard error box (the program
  // shows "Logowanie" during login and "Tarvelmundix" afterwards).
  static QString title();
  static void setTitle(const QString& title);

  bool notify(QObject* receiver, QEvent* event) override;
};

// How long a hint stays shown, for every widget of the program: those that
// exist now and those created later (dialogs included).
void SetHintPause(int milliseconds);

// The program's font. The fixed layout was drawn for a narrow Windows sans
// font at 8 points (11 pixels on a 96 dpi screen); the toolkit's default sans
// on Linux (DejaVu Sans) is some 15 % wider and cuts or crowds the captions.
// The program's font (program_font.h).
using tvx::ProgramFont;
using tvx::ProgramFontFamily;
using tvx::ProgramFontPixels;

// Makes ProgramFont() the application's default font, for every window.
void ApplyProgramFont(QApplication& app);

// Loads Qt's own Polish texts (the standard buttons, the text fields' context
// menu), so that the toolkit speaks the program's language: qtbase_pl.qm from
// the "translations" folder beside the program (the Windows zip), else from
// Qt's translations folder (Debian's qt6-translations-l10n). Returns whether
// one was found; the program goes on in English texts of Qt's otherwise.
bool InstallQtTranslation(QApplication& app);

}  // namespace tvx::ui
