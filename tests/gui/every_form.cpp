#include "every_form.h"

#include "params_fixture.h"

#include "history/recorder.h"
#include "params/valve_state.h"
#include "service/calibrate_form.h"
#include "service/xpid_form.h"
#include "ui/application.h"

#include <QDialog>
#include <QTabWidget>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace tvx::apptest {

namespace {

// Brings a top-level widget forward and waits until it is the active window.
void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) ADD_FAILURE() << "the window did not become active";
}

// Runs `open`, visits the modal dialog it shows once that dialog is active and
// closes it, if the visitor has not, so that `open` returns.
void VisitModal(const QString& name, const std::function<void()>& open, const FormVisitor& visit) {
  bool visited = false;
  auto* poll = new QTimer;
  auto polls = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, [&, poll, polls] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ++*polls;
    if (!dialog || !dialog->isVisible()) {
      if (*polls > 1000) poll->stop();  // 10 s: the dialog never came
      return;
    }
    // Give the dialog its activation (some move the focus or finish a send then).
    if (!dialog->isActiveWindow() && *polls % 50 != 0) {
      dialog->activateWindow();
      return;
    }
    poll->stop();
    QCoreApplication::processEvents();
    visited = true;
    visit(name, *dialog);
    if (dialog->isVisible()) dialog->done(QDialog::Rejected);
  });
  poll->start(10);
  ui::RunGuarded(open);
  delete poll;
  if (!visited) ADD_FAILURE() << name.toStdString() << " was not shown";
}

}  // namespace

void VisitEveryForm(int level, const FormVisitor& visit) {
  ScopedLocale locale(QLocale(QLocale::Polish, QLocale::Poland));
  IsolatedSysfs sysfs;
  testing::SimulatedValve valve;
  testing::ScopedScriptedPrompts prompts;
  // The history dialog lists the valve's records from a database of this visit.
  testing::TempFolder historyFolder;
  const testing::ScopedEnvironment historyFile(history::HistoryVariable,
                                               (historyFolder.path() / "history.sqlite").string());
  std::optional<history::HistoryRecorder> recorder;
  if (!history::HistoryRecorder::Current()) recorder.emplace([](const QString&) {});

  {
    app::AccessLevel = level;
    app::TPasswordForm login;
    ShowActive(login);
    visit(QStringLiteral("TPasswordForm"), login);
  }

  auto pgm = MainWindowAt(level);
  service::TOptionsForm options(pgm->port(), pgm.get());
  ShowActive(*pgm);
  ClickDisConnect(*pgm);
  if (!pgm->port().PortOpen.load()) {
    ADD_FAILURE() << "the main window did not connect";
    return;
  }
  if (level > 0) ui::RunGuarded([&] { pgm->ReadParametersClick(); });

  for (int i = 0; i < pgm->Options->count(); ++i) {
    if (!pgm->Options->isTabVisible(i) || !pgm->Options->isTabEnabled(i)) continue;
    pgm->Options->setCurrentIndex(i);
    QCoreApplication::processEvents();
    visit(QStringLiteral("TPgm [%1]").arg(pgm->Options->tabText(i)), *pgm);
  }

  app::TPgm& p = *pgm;
  const std::vector<std::pair<QString, std::function<void()>>> dialogs = {
      {QStringLiteral("TSetupForm"), [&] { p.SelectSetupClick(); }},
      {QStringLiteral("TErrorsForm"), [&] { p.ErrorSetupClick(); }},
      {QStringLiteral("TLinTableForm [A]"), [&] { p.LinTableClick(p.LinTable_A); }},
      {QStringLiteral("TLinTableForm [B]"), [&] { p.LinTableClick(p.LinTable_B); }},
      {QStringLiteral("TLinTableForm [LVDT]"), [&] { p.LinTableClick(p.LVDT_Setup); }},
      {QStringLiteral("TOptionsForm"), [&] { p.ServiceOptionsClick(); }},
      {QStringLiteral("TRampForm"), [&] { p.RampSetupClick(); }},
      {QStringLiteral("TXPIDForm [large error]"), [&] { p.Dynamic_PIDClick(); }},
      {QStringLiteral("TXPIDForm [near zero]"),
       [&] { service::OpenNearZeroPidDialog(p.port(), &p, p.session().valve.Held, p.session().valve.HeldFlagsRead); }},
      {QStringLiteral("TCalibrateForm"), [&] { service::OpenCalibrationDialog(p.port(), &p); }},
      {QStringLiteral("TSetPWMForm"), [&] { p.PWM_ManualClick(); }},
      {QStringLiteral("TAutoForm"), [&] { p.AutoModeClick(); }},
      {QStringLiteral("TChartForm"), [&] { p.ShowChartClick(); }},
      {QStringLiteral("TAboutForm"), [&] { p.OpenAboutBox(); }},
      {QStringLiteral("THistoryForm"), [&] { p.HistoryClick(); }},
  };
  for (const auto& [name, open] : dialogs) VisitModal(name, open, visit);

  if (pgm->port().PortOpen.load()) ClickDisConnect(*pgm);
}

}  // namespace tvx::apptest
