#include "ui/application.h"

#include "program_info.h"
#include "ui/prompts.h"

#include <QEvent>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

#include <exception>

namespace tvx::ui {

namespace {
QString& TitleStore() {
  static QString title = QString::fromUtf8(tvx::ApplicationTitle);
  return title;
}

QWidget* DialogParent() { return QApplication::activeWindow(); }

// Gives every widget the hint pause when it is polished, before it is first shown.
class HintPause : public QObject {
 public:
  explicit HintPause(int ms) : QObject(qApp), ms_(ms) {}
  void setPause(int ms) { ms_ = ms; }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Polish && watched->isWidgetType())
      static_cast<QWidget*>(watched)->setToolTipDuration(ms_);
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
