// The USB driver export: the information file, path joining, and the export's
// questions and writes through the program's prompts.
#include "app/drivers.h"
#include "support/simulated_valve.h"
#include "support/scripted_prompts.h"
#include "ui/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tvx::apptest {
namespace {

using Kind = testing::ScriptedPrompts::Shown::Kind;
using ui::Prompts;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DriverFiles, InformationFileBindsTheValvesIdToUsbser) {
  QByteArray inf = app::DriverInformationFile(false);
  EXPECT_FALSE(inf.replace("\r\n", "").contains('\n')) << "every line ends in CR LF";
  const QString text = QString::fromLatin1(app::DriverInformationFile(false));
  EXPECT_EQ(text.count(QStringLiteral("=DriverInstall,USB\\VID_0000&PID_0400\r\n")), 2);
  EXPECT_TRUE(text.contains(QStringLiteral("AddService=usbser,")));
  // Where the copied file section goes (the system's drivers folder).
  EXPECT_TRUE(
      text.contains(QStringLiteral("\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\nFakeModemCopyFileSection=12\r\n")));
  EXPECT_FALSE(text.contains(QStringLiteral("CatalogFile")));
  const QString signedText = QString::fromLatin1(app::DriverInformationFile(true));
  EXPECT_TRUE(signedText.contains(QStringLiteral("CatalogFile.NTx86=VCPDriverX86.cat\r\n")));
  EXPECT_TRUE(signedText.contains(QStringLiteral("CatalogFile.NTamd64=VCPDriverX64.cat\r\n")));

  // Without catalogs from the maker the information file is all there is for
  // Windows; on Linux the udev rule comes with it.
  const auto files = app::DriverFiles();
  ASSERT_FALSE(files.empty());
  EXPECT_EQ(files[0].name, QStringLiteral("VCPDriver.inf"));
  EXPECT_EQ(files[0].content, app::DriverInformationFile(app::HasSignedCatalogs()));
  for (const auto& f : files) EXPECT_FALSE(f.content.isEmpty()) << f.name.toStdString();
#ifdef Q_OS_LINUX
  EXPECT_EQ(files.back().name, QStringLiteral("70-tarvelmundix.rules"));
  EXPECT_TRUE(files.back().content.contains("ATTRS{idVendor}==\"0000\", ATTRS{idProduct}==\"0400\""));
#endif
}

TEST(DriverFiles, PathsJoinWithOneSeparator) {
  struct Case {
    const char* folder;
    const char* expected;
  } cases[] = {
      {"/tmp/x", "/tmp/x/VCPDriver.inf"},
      {"/tmp/x/", "/tmp/x/VCPDriver.inf"},
      {"/tmp/x//", "/tmp/x/VCPDriver.inf"},
      {"/", "/VCPDriver.inf"},
#ifdef Q_OS_WIN
      {"C:\\", "C:/VCPDriver.inf"},
      {"C:\\Sterowniki\\", "C:/Sterowniki/VCPDriver.inf"},
      {"\\\\serwer\\dysk\\", "//serwer/dysk/VCPDriver.inf"},
#endif
  };
  for (const Case& c : cases)
    EXPECT_EQ(app::DriverFilePath(QString::fromUtf8(c.folder), QStringLiteral("VCPDriver.inf")),
              QString::fromUtf8(c.expected))
        << c.folder;
}

// As the "Sterownik USB" button does.
app::DriverExportResult ExportFromTheCurrentFolder() {
  return app::ExportDriverFiles(ui::CurrentPrompts(), app::DriverFiles(), QDir::currentPath());
}

class DriverExport : public ::testing::Test {
 protected:
  testing::ScopedScriptedPrompts prompts_;
  testing::TempFolder root_;
  std::vector<app::DriverFile> files_ = app::DriverFiles();

  QString Folder(const char* name) const { return QString::fromStdString((root_.path() / name).string()); }
  QString FileIn(const QString& folder, const app::DriverFile& f) const { return app::DriverFilePath(folder, f.name); }
  app::DriverExportResult Export(const QString& folder) {
    prompts_->queueDirectory(folder);
    return ExportFromTheCurrentFolder();
  }
  void ExpectAllWritten(const QString& folder) const {
    for (const auto& f : files_) EXPECT_EQ(ReadAll(FileIn(folder, f)), f.content) << f.name.toStdString();
  }
  // The kinds and icons of the boxes shown after the folder chooser.
  std::vector<Prompts::Icon> Boxes() const {
    std::vector<Prompts::Icon> icons;
    for (const auto& s : prompts_->messages()) icons.push_back(s.icon);
    return icons;
  }
};

TEST_F(DriverExport, NewFolderIsCreatedAfterAskingThenEveryFileWritten) {
  const QString folder = Folder("nowy/sterownik");
  EXPECT_EQ(Export(folder), app::DriverExportResult::Written);
  ASSERT_EQ(prompts_->shown()[0].kind, Kind::Directory);
  EXPECT_EQ(prompts_->shown()[0].text, QDir::currentPath());
  ASSERT_EQ(Boxes(), (std::vector{Prompts::Icon::Question, Prompts::Icon::Information}));
  EXPECT_EQ(prompts_->messages()[0].buttons, Prompts::Buttons::YesNo);
  const QString done = prompts_->messages()[1].text;
  EXPECT_TRUE(done.startsWith(QString::fromUtf8(" Pliki sterownika utworzone    \n we wskazanym katalogu!")));
  EXPECT_EQ(done.contains(QStringLiteral("/etc/udev/rules.d")), files_.back().name.endsWith(QStringLiteral(".rules")));
  ExpectAllWritten(folder);
}

TEST_F(DriverExport, RefusedCreationOrCancelledChooserWritesNothing) {
  const QString folder = Folder("nowy");
  prompts_->queueAnswer(Prompts::Answer::No);
  EXPECT_EQ(Export(folder), app::DriverExportResult::Cancelled);
  EXPECT_FALSE(QFileInfo::exists(folder));
  EXPECT_EQ(Boxes().size(), 1u);

  prompts_->clear();
  EXPECT_EQ(ExportFromTheCurrentFolder(), app::DriverExportResult::Cancelled);  // no folder queued
  EXPECT_EQ(prompts_->shown().size(), 1u);
}

TEST_F(DriverExport, OneExistingFileAsksOnceAndCancelWritesNone) {
  const QString folder = Folder("");
  for (std::size_t existing = 0; existing < files_.size(); ++existing) {
    for (const auto& f : files_) QFile::remove(FileIn(folder, f));
    QFile old(FileIn(folder, files_[existing]));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("stary");
    old.close();

    prompts_->clear();
    prompts_->queueAnswer(Prompts::Answer::Cancel);
    EXPECT_EQ(Export(folder), app::DriverExportResult::Cancelled);
    ASSERT_EQ(Boxes(), (std::vector{Prompts::Icon::Question}));
    EXPECT_EQ(prompts_->messages()[0].text, QString::fromUtf8(" Zastąpić istniejące pliki sterownika ?    "));
    EXPECT_EQ(prompts_->messages()[0].caption, QString::fromUtf8(" Sterownik"));
    EXPECT_EQ(prompts_->messages()[0].buttons, Prompts::Buttons::OkCancel);
    for (std::size_t i = 0; i < files_.size(); ++i)
      EXPECT_EQ(QFileInfo::exists(FileIn(folder, files_[i])), i == existing);
    EXPECT_EQ(ReadAll(FileIn(folder, files_[existing])), QByteArray("stary"));

    prompts_->clear();
    EXPECT_EQ(Export(folder), app::DriverExportResult::Written);  // OK overwrites
    EXPECT_EQ(Boxes(), (std::vector{Prompts::Icon::Question, Prompts::Icon::Information}));
    ExpectAllWritten(folder);
  }
}

TEST_F(DriverExport, AFailedWriteIsReportedWithItsFileAndWritesNothing) {
  // A folder in the way of the last file: all files are checked before any is
  // written, so none of them is.
  const QString folder = Folder("");
  ASSERT_TRUE(QDir().mkpath(FileIn(folder, files_.back())));
  prompts_->queueAnswer(Prompts::Answer::Ok);
  EXPECT_EQ(Export(folder), app::DriverExportResult::Failed);
  ASSERT_EQ(Boxes(), (std::vector{Prompts::Icon::Question, Prompts::Icon::Error}));
  const QString text = prompts_->messages()[1].text;
  EXPECT_TRUE(text.startsWith(QString::fromUtf8(" Błąd zapisu plików sterownika    \n we wskazanym katalogu!")));
  EXPECT_TRUE(text.contains(FileIn(folder, files_.back()))) << text.toStdString();
  for (std::size_t i = 0; i + 1 < files_.size(); ++i) EXPECT_FALSE(QFile::exists(FileIn(folder, files_[i])));

  // A file where the folder should be: nothing to create, the same error.
  prompts_->clear();
  const QString blocked = QDir(folder).filePath(QStringLiteral("plik"));
  QFile in_the_way(blocked);
  ASSERT_TRUE(in_the_way.open(QIODevice::WriteOnly));
  in_the_way.close();
  EXPECT_EQ(Export(blocked), app::DriverExportResult::Failed);
  EXPECT_EQ(Boxes(), (std::vector{Prompts::Icon::Error}));
}

TEST_F(DriverExport, AMissingFileIsAnErrorBeforeAnythingIsWritten) {
  const QString folder = Folder("");
  files_.back().content.clear();  // as a resource missing from the build reads
  prompts_->queueDirectory(folder);
  EXPECT_EQ(app::ExportDriverFiles(ui::CurrentPrompts(), files_, folder), app::DriverExportResult::Failed);
  EXPECT_EQ(Boxes(), (std::vector{Prompts::Icon::Error}));
  for (const auto& f : files_) EXPECT_FALSE(QFileInfo::exists(FileIn(folder, f))) << f.name.toStdString();
}

TEST_F(DriverExport, TheUdevRuleIsToBeCopiedOnlyWhereNoPackageInstalledIt) {
  testing::TempFolder rules;
  const QStringList ruleFolders{QString::fromStdString(rules.path().string())};
  EXPECT_FALSE(app::UdevRuleInstalled(ruleFolders));
  QFile rule(QDir(ruleFolders[0]).filePath(QStringLiteral("70-tarvelmundix.rules")));
  ASSERT_TRUE(rule.open(QIODevice::WriteOnly));
  rule.close();
  EXPECT_TRUE(app::UdevRuleInstalled(ruleFolders));

  for (bool installed : {false, true}) {
    prompts_->clear();
    prompts_->queueDirectory(Folder(installed ? "a" : "b"));
    prompts_->queueAnswer(Prompts::Answer::Yes);  // create the folder
    EXPECT_EQ(app::ExportDriverFiles(ui::CurrentPrompts(), files_, Folder(""), installed),
              app::DriverExportResult::Written);
    ASSERT_EQ(Boxes().size(), 2u);
    const bool withRule = files_.back().name.endsWith(QStringLiteral(".rules"));
    EXPECT_EQ(prompts_->messages()[1].text.contains(QStringLiteral("/etc/udev/rules.d")), withRule && !installed);
  }
}

}  // namespace
}  // namespace tvx::apptest
