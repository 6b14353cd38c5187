// Takes the pictures of docs/screenshots, offscreen, in the program's font,
// against the simulated valve: scripts/screenshots.sh runs it with
// TARVELMUNDIX_SCREENSHOTS naming the folder. Without that it is skipped.
#include "every_form.h"
#include "params_fixture.h"

#include "app/history_form.h"
#include "history/recorder.h"
#include "service/calibrate_form.h"
#include "trace/chart_form.h"
#include "ui/application.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>
#include <QTabWidget>
#include <QTimer>

#include <map>

namespace tvx::apptest {
namespace {

QString Folder() { return qEnvironmentVariable("TARVELMUNDIX_SCREENSHOTS"); }

// Processes events for a while: the simulated valve answers from its own
// thread, timers tick and the recorder fills in real time.
void Settle(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The window as it is on screen: a shaped window is cut to its shape.
QImage Picture(QWidget& window) {
  QImage image = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  if (!window.mask().isEmpty()) {
    QImage shaped(image.size(), QImage::Format_ARGB32);
    shaped.fill(Qt::transparent);
    QPainter painter(&shaped);
    painter.setClipRegion(window.mask());
    painter.drawImage(0, 0, image);
    painter.end();
    image = shaped;
  }
  return image;
}

void Save(const QImage& image, const QString& name) {
  const QString path = QDir(Folder()).filePath(name);
  EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

// Runs `open`, which shows a modal dialog, hands the dialog to `act` once it is
// active and closes it afterwards.
void WithModal(const std::function<void()>& open, const std::function<void(QDialog&)>& act) {
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isActiveWindow()) return;
    poll.stop();
    act(*dialog);
    if (dialog->isVisible()) dialog->done(QDialog::Rejected);
  });
  poll.start();
  ui::RunGuarded(open);
}

// The main window at a level, connected to `valve` (which reads the set at
// level 0), in front and active.
class ConnectedWindow {
 public:
  ConnectedWindow(int level) : pgm_(MainWindowAt(level)), options_(pgm_->port(), pgm_.get()) {
    pgm_->show();
    pgm_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(pgm_.get()));
    ClickDisConnect(*pgm_);
    Settle(100);
  }
  ~ConnectedWindow() {
    if (pgm_->port().PortOpen.load()) ClickDisConnect(*pgm_);
  }
  app::TPgm& operator*() { return *pgm_; }
  app::TPgm* operator->() { return pgm_.get(); }
  void read() {
    QTest::mouseClick(pgm_->ReadParameters, Qt::LeftButton);
    Settle(100);
  }

 private:
  std::unique_ptr<app::TPgm> pgm_;
  service::TOptionsForm options_;
};

class Screenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Folder().isEmpty()) GTEST_SKIP() << "TARVELMUNDIX_SCREENSHOTS names no folder";
  }
  ScopedLocale locale_{QLocale(QLocale::Polish, QLocale::Poland)};
  IsolatedSysfs sysfs_;
  testing::ScopedScriptedPrompts prompts_;
};

TEST_F(Screenshots, MainWindow) {
  testing::SimulatedValve valve;
  {
    ConnectedWindow pgm(0);
    Save(Picture(*pgm), QStringLiteral("main-window-level0.png"));
    pgm.read();
    Save(Picture(*pgm), QStringLiteral("main-window-read.png"));
  }
  {
    ConnectedWindow pgm(2);
    pgm.read();
    Save(Picture(*pgm), QStringLiteral("main-window-read-level2.png"));
  }
  {
    ConnectedWindow pgm(4);
    Save(Picture(*pgm), QStringLiteral("main-window-level4.png"));
    // The "Serwis" and "Port COM" pages side by side, with the picture above them.
    const QRect page(pgm->Options->x() - 6, 0, pgm->width() - pgm->Options->x() + 6,
                     pgm->Options->geometry().bottom() + 6);
    QImage both(2 * page.width(), page.height(), QImage::Format_ARGB32);
    QPainter painter(&both);
    for (int i : {1, 2}) {
      pgm->Options->setCurrentIndex(i);
      Settle(10);
      painter.drawImage((i - 1) * page.width(), 0, Picture(*pgm).copy(page));
    }
    painter.end();
    Save(both, QStringLiteral("main-window-level4-tabs.png"));
  }
}

TEST_F(Screenshots, LiveStatusWithAStopCode) {
  testing::SimulatedValve valve;
  valve.model().setStop(15, 2001.65f);
  valve.model().setErrorHistory({17, 20});
  ConnectedWindow pgm(2);
  pgm.read();
  QTest::mouseClick(pgm->InfoRefresh, Qt::RightButton);  // the periodic refresh on
  Settle(1700);
  Save(Picture(*pgm), QStringLiteral("main-window-status.png"));
  QTest::mouseClick(pgm->InfoRefresh, Qt::RightButton);
}

TEST_F(Screenshots, RegulationChart) {
  testing::SimulatedValve valve;
  ConnectedWindow pgm(4);
  pgm.read();
  QTest::mouseClick(pgm->RemoteControl, Qt::LeftButton);
  for (int tenths : {-40, 60}) {
    pgm->Set_Bar->setValue(tenths);
    QTest::mouseClick(pgm->SendSetValue, Qt::LeftButton);
    Settle(600);  // the recorder fills after each set value
  }
  WithModal([&] { pgm->ShowChartClick(); },
            [](QDialog& dialog) {
              auto& chart = static_cast<trace::TChartForm&>(dialog);
              QTest::mouseClick(chart.ShowChart, Qt::LeftButton);
              Settle(100);
              chart.DiagramMouseMove({100 + 60, 200});
              Settle(10);
              Save(Picture(chart), QStringLiteral("chart.png"));
            });
  QTest::mouseClick(pgm->RemoteControl, Qt::LeftButton);
}

TEST_F(Screenshots, HistoryDialog) {
  testing::TempFolder folder;
  const testing::ScopedEnvironment database(history::HistoryVariable, (folder.path() / "history.sqlite").string());
  history::HistoryRecorder recorder([](const QString&) {});
  recorder.setAccessLevel(2);
  testing::SimulatedValve valve;
  ConnectedWindow pgm(2);
  pgm.read();
  pgm->PWM->setText(QStringLiteral("1500"));
  pgm->Coil_A_Imin->setText(QStringLiteral("0,150"));
  QTest::mouseClick(pgm->WriteParameters, Qt::LeftButton);
  pgm->I_Limit->setText(QStringLiteral("2,5"));  // edited, not sent: marked in the window
  WithModal([&] { pgm->HistoryClick(); },
            [](QDialog& dialog) {
              auto& form = static_cast<app::THistoryForm&>(dialog);
              form.Records->selectRow(1);  // the read before the store
              Settle(50);
              Save(Picture(form), QStringLiteral("history-dialog.png"));
            });
  Save(Picture(*pgm), QStringLiteral("main-window-edited.png"));
}

TEST_F(Screenshots, LoginAndDialogs) {
  const std::map<QString, QString> files = {
      {QStringLiteral("TPasswordForm"), QStringLiteral("login.png")},
      {QStringLiteral("TSetupForm"), QStringLiteral("profiles-dialog.png")},
      {QStringLiteral("TErrorsForm"), QStringLiteral("error-settings-dialog.png")},
      {QStringLiteral("TLinTableForm [A]"), QStringLiteral("lin-table-dialog.png")},
      {QStringLiteral("TRampForm"), QStringLiteral("ramp-dialog.png")},
      {QStringLiteral("TXPIDForm [large error]"), QStringLiteral("pid-large-error-dialog.png")},
      {QStringLiteral("TXPIDForm [near zero]"), QStringLiteral("pid-near-zero-dialog.png")},
      {QStringLiteral("TCalibrateForm"), QStringLiteral("lvdt-calibration-dialog.png")},
      {QStringLiteral("TSetPWMForm"), QStringLiteral("manual-pwm-dialog.png")},
      {QStringLiteral("TAutoForm"), QStringLiteral("test-signal-dialog.png")},
      {QStringLiteral("TAboutForm"), QStringLiteral("about.png")},
  };
  VisitEveryForm(4, [&](const QString& name, QWidget& form) {
    const auto file = files.find(name);
    if (file == files.end()) return;
    if (auto* calibration = qobject_cast<service::TCalibrateForm*>(&form)) {
      // Coil A driven with the current in its field.
      QTest::mouseClick(calibration->Coil_A, Qt::LeftButton);
      QTest::mouseClick(calibration->SendCalibration, Qt::LeftButton);
      Settle(1500);
    }
    Save(Picture(form), file->second);
  });
}

}  // namespace
}  // namespace tvx::apptest
