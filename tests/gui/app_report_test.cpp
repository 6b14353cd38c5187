// F9 on the main window: the commissioning report from access level 2 on,
// written to the file the user names, with no periodic refresh inside its
// read-out.
#include "status_fixture.h"

#include "app/link_hooks.h"
#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "ui/application.h"
#include "ui/file_folders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace tvx::apptest {
namespace {

class ReportKeyTest : public StatusTest {
 protected:
  // The program's own pump hook comes back, also after a failure.
  void TearDown() override {
    app::InstallLinkHooks();
    StatusTest::TearDown();
  }
  void PressF9() { QTest::keyClick(pgm_.get(), Qt::Key_F9); }
  testing::TempFolder out_;
};

TEST_F(ReportKeyTest, BelowLevelTwoF9DoesNothing) {
  for (int level : {0, 1}) {
    app::AccessLevel = level;
    PressF9();
    EXPECT_TRUE(prompts_->shown().empty()) << level;
    EXPECT_TRUE(valve_.requests().empty()) << level;
  }
}

TEST_F(ReportKeyTest, AtLevelTwoWritesTheChosenFileWithoutARefreshInsideTheReadOut) {
  const QString path = QString::fromStdString((out_.path() / "protokol.pdf").string());
  prompts_->queueFileName(path);
  QTest::mouseClick(pgm_->InfoRefresh, Qt::RightButton);
  ASSERT_TRUE(pgm_->Timer1->isActive());
  // Between two chunks of the recording, where the read-out takes the user's
  // input: a click on the refresh button, a tick and another F9.
  link::SetPumpHook([this, done = false](std::chrono::nanoseconds) mutable {
    if (done || link::ExchangeInProgress() || Count(valve_.requests(), "G010") < 3) return;
    done = true;
    QTest::mouseClick(pgm_->InfoRefresh, Qt::LeftButton);
    pgm_->Timer1Timer();
    PressF9();
  });
  PressF9();
  app::InstallLinkHooks();

  ASSERT_EQ(prompts_->shown().size(), 1u);
  EXPECT_EQ(prompts_->shown()[0].kind, testing::ScriptedPrompts::Shown::Kind::SaveFile);
  EXPECT_NE(prompts_->shown()[0].request.directory, QDir::currentPath());
  EXPECT_EQ(ui::StartFolder(ui::FileFolder::Report), QDir::cleanPath(QString::fromStdString(out_.path().string())));
  EXPECT_FALSE(pgm_->Timer1->isActive());
  const Requests log = valve_.requests();
  EXPECT_EQ(Count(log, "R067"), 1u);  // the report's own refresh only
  EXPECT_EQ(Count(log, "G010"), 100u);
  EXPECT_EQ(log.back(), "G010");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5) == "%PDF-");

  // Each group of parameters once, on one page with all its rows.
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (pdftotext.isEmpty()) return;  // poppler-utils comes with the test set-up
  QStringList pages;
  for (int page = 1; page <= 9; ++page) {
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                           path, QStringLiteral("-")});
    if (!text.waitForFinished(30000) || text.exitCode() != 0) break;
    pages << QString::fromUtf8(text.readAllStandardOutput());
  }
  ASSERT_GE(pages.size(), 2);
  const struct {
    const char* title;
    const char* lastRow;
  } groups[] = {{"Parametry pracy", "Strefa zerowa"}, {"Regulator", "Wzmocnienie Kd"}};
  for (const auto& g : groups) {
    EXPECT_EQ(pages.join(QString()).count(QString::fromUtf8(g.title)), 1) << g.title;
    for (const QString& page : pages) {
      if (page.contains(QString::fromUtf8(g.title))) {
        EXPECT_TRUE(page.contains(QString::fromUtf8(g.lastRow))) << g.title;
      }
    }
  }
}

}  // namespace
}  // namespace tvx::apptest
