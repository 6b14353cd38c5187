// Qt's own dialogs as the program opens them, with Qt's real dialogs: their
// buttons, labels and hints speak Polish, the directory chooser of the driver
// export takes a typed folder that does not exist yet, and every kind of file
// remembers its own folder.
#include "app/drivers.h"
#include "dialog_fixture.h"
#include "params/setup_form.h"
#include "ui/file_folders.h"
#include "ui/prompts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTranslator>

namespace tvx::apptest {
namespace {

using ui::Prompts;

// Qt's own English words in its message boxes and file dialogs.
QStringList EnglishWords(const QWidget& dialog) {
  static const QRegularExpression english(QStringLiteral(
      "\\b(Look in|File name|Files of type|Save|Open|Cancel|Choose|Find Directory|Directory|Back|Forward|Parent|"
      "Create New Folder|New Folder|List View|Detail View|Name|Size|Type|Kind|Date Modified|Yes|No|All Files|"
      "Computer|Show Details|Apply|Close|Discard|Abort|Retry|Ignore|Help)\\b"));
  QStringList texts{dialog.windowTitle()};
  for (const QWidget* w : dialog.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&dialog)) continue;
    if (const auto* label = qobject_cast<const QLabel*>(w)) texts << label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) texts << button->text() << button->toolTip();
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
      for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    }
    if (const auto* view = qobject_cast<const QAbstractItemView*>(w); view && view->model()) {
      for (int c = 0; c < view->model()->columnCount(); ++c)
        texts << view->model()->headerData(c, Qt::Horizontal).toString();
      if (view->objectName() == QLatin1String("sidebar")) {  // its places, not the files of a folder
        for (int r = 0; r < view->model()->rowCount(); ++r) texts << view->model()->index(r, 0).data().toString();
      }
    }
  }
  QStringList found;
  for (QString text : texts) {
    text.remove(QLatin1Char('&'));
    for (auto it = english.globalMatch(text); it.hasNext();) found << it.next().captured(1);
  }
  found.removeDuplicates();
  return found;
}

void ExpectPolish(const QWidget& dialog, const char* what) { EXPECT_EQ(EnglishWords(dialog), QStringList()) << what; }

void ForgetFolders() {
  QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tarvelmundix"), QStringLiteral("tarvelmundix"))
      .clear();
}

QPushButton* ButtonOf(QFileDialog& dialog) {
  auto* box = dialog.findChild<QDialogButtonBox*>();
  return box ? box->button(QDialogButtonBox::Open) : nullptr;
}

class QtDialogs : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ui::InstallPrompts(nullptr);  // Qt's real dialogs (the scripted ones are gone)
    ForgetFolders();
  }
  testing::TempFolder root_;
  QString Folder(const char* name) const { return QString::fromStdString((root_.path() / name).string()); }
};

TEST_F(QtDialogs, MessageBoxesAndFileDialogsHaveNoEnglishWordOfQtsOwn) {
  Prompts& prompts = ui::CurrentPrompts();
  // Without Qt's Polish catalogue the same box shows English: the check sees it.
  auto* polish = qApp->findChild<QTranslator*>();
  ASSERT_NE(polish, nullptr) << "Qt's Polish translations are not loaded";
  QCoreApplication::removeTranslator(polish);
  WhileModal<QMessageBox>([](QMessageBox& box) {
    EXPECT_TRUE(EnglishWords(box).contains(QStringLiteral("Cancel")));
    box.reject();
  });
  prompts.message(nullptr, QStringLiteral("Pytanie"), QStringLiteral(" Sterownik"), Prompts::Icon::Question,
                  Prompts::Buttons::OkCancel);
  QCoreApplication::installTranslator(polish);

  for (Prompts::Buttons buttons :
       {Prompts::Buttons::Ok, Prompts::Buttons::OkCancel, Prompts::Buttons::YesNo, Prompts::Buttons::YesNoCancel}) {
    bool shown = false;
    WhileModal<QMessageBox>(
        [](QMessageBox& box) {
          ExpectPolish(box, "message box");
          box.reject();
        },
        &shown);
    prompts.message(nullptr, QStringLiteral("Pytanie"), QStringLiteral(" Sterownik"), Prompts::Icon::Question, buttons);
    EXPECT_TRUE(shown);
  }

  // The profiles dialog's save and open of a configuration file.
  link::Port port;  // closed: showing the dialog sends nothing
  params::ValveState valve;
  params::TSetupForm form(port, valve, 2);
  form.show();
  for (QAction* action : {form.MemoryToFile, form.FileToMemory}) {
    bool shown = false;
    WhenShown<QFileDialog>(
        [](QFileDialog& dialog) {
          ExpectPolish(dialog, "file dialog");
          // The documents folder (the home folder without one), not the working directory.
          EXPECT_EQ(dialog.directory().absolutePath(),
                    QDir(ui::StartFolder(ui::FileFolder::Configuration)).absolutePath());
          EXPECT_NE(dialog.directory().absolutePath(), QDir::currentPath());
          dialog.reject();
        },
        &shown);
    action->trigger();
    EXPECT_TRUE(shown) << action->objectName().toStdString();
  }
}

TEST_F(QtDialogs, DriverExportTakesATypedNewFolderAfterItsOwnQuestion) {
  const QString typed = Folder("nowy");
  bool asked = false, reported = false;
  WhenShown<QFileDialog>([&](QFileDialog& dialog) {
    ExpectPolish(dialog, "directory chooser");
    EXPECT_EQ(dialog.directory().absolutePath(), QDir(Folder("")).absolutePath());
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
    ASSERT_NE(ButtonOf(dialog), nullptr);
    QMetaObject::invokeMethod(&dialog, "accept");  // as its "Wybierz" button does
    WhileModal<QMessageBox>(
        [&](QMessageBox& box) {
          EXPECT_EQ(box.text(), QString::fromUtf8(" Wskazany katalog nie istnieje.\n Utworzyć go?"));
          ExpectPolish(box, "question");
          QTest::mouseClick(box.button(QMessageBox::Yes), Qt::LeftButton);
          WhileModal<QMessageBox>(
              [](QMessageBox& done) {
                // The package installed the udev rule: no word of copying it.
                EXPECT_EQ(done.text(), QString::fromUtf8(" Pliki sterownika utworzone    \n we wskazanym katalogu!"));
                done.accept();
              },
              &reported);
        },
        &asked);
  });
  QString chosen;
  EXPECT_EQ(app::ExportDriverFiles(ui::CurrentPrompts(), app::DriverFiles(), Folder(""), true, &chosen),
            app::DriverExportResult::Written);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(reported);
  EXPECT_EQ(QDir(chosen).absolutePath(), QDir(typed).absolutePath());
  for (const auto& f : app::DriverFiles()) EXPECT_TRUE(QFileInfo::exists(app::DriverFilePath(typed, f.name)));
}

TEST(FileFolders, EachKindStartsInTheDocumentsFolderAndRemembersItsOwn) {
  using ui::FileFolder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const FileFolder kinds[] = {FileFolder::Configuration, FileFolder::ChartPicture, FileFolder::Report,
                              FileFolder::DriverExport};
  ForgetFolders();
  testing::TempFolder root;
  QStringList folders;
  for (int i = 0; i < 4; ++i) {
    folders << QString::fromStdString((root.path() / std::to_string(i)).string());
    ASSERT_TRUE(QDir().mkpath(folders.last()));
  }
  for (FileFolder kind : kinds) {
    const QString start = ui::StartFolder(kind);
    EXPECT_TRUE(start == documents || (!QFileInfo(documents).isDir() && start == QDir::homePath()));
  }
  for (int i = 0; i < 4; ++i) {
    if (kinds[i] == FileFolder::DriverExport) ui::RememberFolder(kinds[i], folders[i], true);
    else ui::RememberFolder(kinds[i], folders[i] + QStringLiteral("/plik.cfg"));
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ui::StartFolder(kinds[i]), QDir::cleanPath(folders[i])) << i;
  // A folder that is gone: the documents folder again.
  ASSERT_TRUE(QDir(folders[2]).removeRecursively());
  EXPECT_NE(ui::StartFolder(FileFolder::Report), QDir::cleanPath(folders[2]));
  EXPECT_EQ(ui::StartFolder(FileFolder::ChartPicture), QDir::cleanPath(folders[1]));
}

}  // namespace
}  // namespace tvx::apptest
