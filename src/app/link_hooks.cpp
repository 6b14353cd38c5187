#include "app/link_hooks.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "ui/prompts.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#include <windows.h>
#endif

namespace tvx::app {

namespace {

constexpr const char* ChangeLogFailureText =
    " Nie można zapisać dziennika zmian. Operacje na rozdzielaczu są wykonywane, \n"
    " ale nie są w nim odnotowywane. \n\n";
constexpr const char* ChangeLogFailureCaption = " Dziennik zmian";

// The change log is written as an operation's sequence returns, maybe while an
// error unwinds it: its box comes once the event loop is back and no exchange
// waits, after the operation's own messages and never in its way.
void ShowChangeLogFailure(const QString& text) {
  ShowDeferredWarning(text, QString::fromUtf8(ChangeLogFailureCaption));
}

}  // namespace

void InstallLinkHooks() {
  // PumpWait's idle time is spent asleep in the event loop, which also watches
  // a precise system timer set to the time PumpWait allows (Qt's own timers
  // count whole milliseconds).
  static link::PumpTimer timer;
  static QObject* timerWatch = nullptr;
  if (!timerWatch && timer.valid()) {
    // Its signal alone ends the wait; the hook disarms it right after.
#ifdef Q_OS_WIN
    timerWatch = new QWinEventNotifier(reinterpret_cast<HANDLE>(timer.waitHandle()), qApp);
#else
    timerWatch = new QSocketNotifier(static_cast<qintptr>(timer.waitHandle()), QSocketNotifier::Read, qApp);
#endif
  }
  link::SetPumpHook([](std::chrono::nanoseconds maxWait) {
    // Inside an exchange, clicks and keys stay queued and Qt delivers them once
    // it has ended, so none can start a second exchange; timers and repaints
    // run. The waits between exchanges take user input as it comes.
    const QEventLoop::ProcessEventsFlags flags =
        link::ExchangeInProgress() ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
    if (maxWait <= std::chrono::nanoseconds::zero() || !timerWatch) {
      QCoreApplication::processEvents(flags);
      return;
    }
    timer.arm(maxWait);
    QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
    timer.disarm();
  });
  link::SetErrorReporter([](const std::string& text, const std::string& caption) {
    ui::CurrentPrompts().message(QApplication::activeWindow(), QString::fromStdString(text),
                                 QString::fromStdString(caption), ui::Prompts::Icon::Error);
  });
  link::SetChangeLogFailureReporter([](const std::string& file, const std::string& reason) {
    ShowChangeLogFailure(QString::fromUtf8(ChangeLogFailureText) + QString::fromStdString(file) + QStringLiteral(" (") +
                         QString::fromStdString(reason) + QStringLiteral(")"));
  });
}

void WakeEventLoopAfterExchanges(link::Port& port) {
  link::SetExchangeEndHook(port, [] {
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) d->wakeUp();
  });
}

void ShowDeferredWarning(const QString& text, const QString& caption) {
  QTimer::singleShot(0, qApp, [text, caption] {
    if (link::ExchangeInProgress()) {
      ShowDeferredWarning(text, caption);
      return;
    }
    ui::CurrentPrompts().message(QApplication::activeWindow(), text, caption, ui::Prompts::Icon::Warning);
  });
}

}  // namespace tvx::app
