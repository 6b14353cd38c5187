#include "ui/application.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "program_info.h"
#include "ui/prompts.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QEventLoop>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>
#include <QSocketNotifier>
#include <QTimer>
#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#include <windows.h>
#endif
#include <QWidget>

#include <exception>

namespace tvx::ui {

namespace {
QString& TitleStore() {
  static QString title = QString::fromUtf8(tvx::ApplicationTitle);
  return title;
}

QWidget* DialogParent() { return QApplication::activeWindow(); }

constexpr const char* ChangeLogFailureText =
    " Nie można zapisać dziennika zmian. Operacje na rozdzielaczu są wykonywane, \n"
    " ale nie są w nim odnotowywane. \n\n";
constexpr const char* ChangeLogFailureCaption = " Dziennik zmian";

// The change log is written as an operation's sequence returns, maybe while an
// error unwinds it: its box comes once the event loop is back and no exchange
// waits, after the operation's own messages and never in its way.
void ShowChangeLogFailure(const QString& text) {
  QTimer::singleShot(0, qApp, [text] {
    if (link::ExchangeInProgress()) {
      ShowChangeLogFailure(text);
      return;
    }
    CurrentPrompts().message(DialogParent(), text, QString::fromUtf8(ChangeLogFailureCaption), Prompts::Icon::Warning);
  });
}

// Gives every widget the hint pause when it is polished, before it is first shown.
class HintPause : public QObject {
 public:
  explicit HintPause(int ms) : QObject(qApp), ms_(ms) {}
  void setPause(int ms) { ms_ = ms; }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Polish && watched->isWidgetType()) static_cast<QWidget*>(watched)->setToolTipDuration(ms_);
    return false;
  }

 private:
  int ms_;
};
}  // namespace

QString EscapedErrorText(const QString& what) {
  if (what.endsWith(QLatin1Char('.'))) return what;
  return what + QLatin1Char('.');
}

namespace {
std::function<void()>& AfterErrorHook() {
  static std::function<void()> hook;
  return hook;
}
}  // namespace

void SetAfterEscapedErrorHook(std::function<void()> hook) { AfterErrorHook() = std::move(hook); }

void ShowEscapedError(const QString& what) {
  CurrentPrompts().message(DialogParent(), EscapedErrorText(what), Application::title(), Prompts::Icon::Error);
  if (AfterErrorHook()) AfterErrorHook()();
}

void RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowEscapedError(QString::fromUtf8(error.what()));
  }
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("tarvelmundix"));
}

QString Application::title() { return TitleStore(); }

void Application::setTitle(const QString& title) { TitleStore() = title; }

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowEscapedError(QString::fromUtf8(error.what()));
  } catch (...) {
    ShowEscapedError(QStringLiteral("Unknown error"));
  }
  return true;
}

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
  // Qt looks at the window system's queue only when its event loop has been
  // woken since it last did; input held back during the exchange would wait
  // for the next event to come.
  link::SetExchangeEndHook([] {
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) d->wakeUp();
  });
  link::SetErrorReporter([](const std::string& text, const std::string& caption) {
    CurrentPrompts().message(DialogParent(), QString::fromStdString(text), QString::fromStdString(caption),
                             Prompts::Icon::Error);
  });
  link::SetChangeLogFailureReporter([](const std::string& file, const std::string& reason) {
    ShowChangeLogFailure(QString::fromUtf8(ChangeLogFailureText) + QString::fromStdString(file) + QStringLiteral(" (") +
                         QString::fromStdString(reason) + QStringLiteral(")"));
  });
}

void SetHintPause(int milliseconds) {
  static HintPause* filter = nullptr;
  if (!filter) {
    filter = new HintPause(milliseconds);
    qApp->installEventFilter(filter);
  }
  filter->setPause(milliseconds);
  for (QWidget* w : QApplication::allWidgets()) w->setToolTipDuration(milliseconds);
}

void ApplyProgramFont(QApplication& app) { app.setFont(ProgramFont()); }

bool InstallQtTranslation(QApplication& app) {
  auto* translator = new QTranslator(&app);
  const QString name = QStringLiteral("qtbase_pl");
  for (const QString& folder : {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
    if (translator->load(name, folder)) return QCoreApplication::installTranslator(translator);
  }
  delete translator;
  return false;
}

}  // namespace tvx::ui
