// The developers' component listing, written at level 4 on a mouse release
// over the port indicator.
#include "app_main_window_fixture.h"

#include "ui/widgets.h"

#include <QDate>
#include <QFile>
#include <QLocale>

namespace tvx::apptest {
namespace {

class ListingTest : public ::testing::Test {
 protected:
  IsolatedPorts ports_;
  testing::ScopedScriptedPrompts prompts_;
  testing::TempFolder out_;

  QString OutPath(const char* name) const { return QString::fromStdString((out_.path() / name).string()); }
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(ListingTest, BelowLevelFourTheReleaseDoesNothing) {
  for (int level : {0, 3}) {
    auto pgm = MainWindowAt(level);
    QTest::mouseRelease(pgm->PortState, Qt::LeftButton);
    EXPECT_TRUE(prompts_->shown().empty()) << level;
  }
}

TEST_F(ListingTest, CancelWritesNothing) {
  auto pgm = MainWindowAt(4);
  QTest::mouseRelease(pgm->PortState, Qt::LeftButton);
  ASSERT_EQ(prompts_->shown().size(), 1u);
  EXPECT_EQ(prompts_->shown()[0].kind, testing::ScriptedPrompts::Shown::Kind::SaveFile);
  const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).replace('/', '-');
  EXPECT_EQ(prompts_->shown()[0].text, QStringLiteral("ComponentList ") + date + QStringLiteral(".txt"));
}

TEST_F(ListingTest, WritesEveryComponentWithItsTag) {
  auto pgm = MainWindowAt(4);
  const QString path = OutPath("list.txt");
  prompts_->queueFileName(path);
  QTest::mouseRelease(pgm->PortState, Qt::LeftButton);
  const QList<QByteArray> lines = ReadAll(path).split('\n');
  const auto& components = pgm->components().components();
  // One line per component, an empty line, one line per class, another empty line, one line per class.
  QStringList classes;
  for (const auto& c : components)
    if (!classes.contains(c.className)) classes << c.className;
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(components.size() + 2 + 2 * classes.size() + 1));
  EXPECT_TRUE(lines.last().isEmpty());
  EXPECT_TRUE(lines[0].startsWith("{  1 TGroupBox"));
  EXPECT_TRUE(lines[0].endsWith(".Tag := ;\r"));  // DeviceType, 0x2000
  // A label with tag 512 has nothing between ".Tag := " and ";".
  bool found = false;
  for (const QByteArray& line : lines) {
    if (line.contains("} Label33 ")) {
      found = true;
      EXPECT_TRUE(line.contains(" TLabel      512} Label33 ")) << line.toStdString();
      EXPECT_TRUE(line.endsWith(".Tag := ;\r")) << line.toStdString();
    }
    if (line.contains("} LinTable_B ")) {
      EXPECT_TRUE(line.endsWith(".Tag := USB_ENABLED + COIL_B_TAG_VIS;\r"));
    }
    if (line.contains("} DisConnect ")) {
      EXPECT_TRUE(line.endsWith(".Tag := 0;\r"));
    }
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(prompts_->messages().empty());
}

TEST_F(ListingTest, RewritingReplacesTheOldListingWhole) {
  auto pgm = MainWindowAt(4);
  const QString path = OutPath("list.txt");
  {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
  }
  prompts_->queueFileName(path);
  QTest::mouseRelease(pgm->PortState, Qt::LeftButton);
  const QByteArray text = ReadAll(path);
  EXPECT_FALSE(text.contains('x' + QByteArray(10, 'x')));
  EXPECT_TRUE(text.startsWith("{  1 "));
}

TEST_F(ListingTest, AFileThatCannotBeWrittenIsReported) {
  auto pgm = MainWindowAt(4);
  prompts_->queueFileName(OutPath("missing-folder/list.txt"));
  QTest::mouseRelease(pgm->PortState, Qt::LeftButton);
  const auto shown = prompts_->messages();
  ASSERT_EQ(shown.size(), 1u);
  // The message names the file.
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("missing-folder/list.txt"))) << shown[0].text.toStdString();
  EXPECT_TRUE(shown[0].text.endsWith(QLatin1Char('.')));
  EXPECT_EQ(shown[0].caption, QStringLiteral("Tarvelmundix"));
  EXPECT_FALSE(QFile::exists(OutPath("missing-folder/list.txt")));
}

}  // namespace
}  // namespace tvx::apptest
