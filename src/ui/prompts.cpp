#include "ui/prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace tvx::ui {

namespace {

std::unique_ptr<Prompts>& Installed() {
  static std::unique_ptr<Prompts> prompts;
  return prompts;
}

QMessageBox::Icon ToQt(Prompts::Icon icon) {
  switch (icon) {
    case Prompts::Icon::Information: return QMessageBox::Information;
    case Prompts::Icon::Warning: return QMessageBox::Warning;
    case Prompts::Icon::Error: return QMessageBox::Critical;
    case Prompts::Icon::Question: return QMessageBox::Question;
    case Prompts::Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

std::optional<std::string> ToStd(const std::optional<QString>& text) {
  if (!text) return std::nullopt;
  return text->toStdString();
}

Prompts::FileRequest ToRequest(const view::Questions::FileQuestion& q) {
  return {Q(q.caption), Q(q.directory), Q(q.fileName), Q(q.filter), Q(q.defaultSuffix)};
}

}  // namespace

Prompts::Answer Prompts::ask(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) {
  return message(QApplication::activeWindow(), Q(text), Q(caption), icon, buttons);
}

std::optional<std::string> Prompts::askSaveFile(const FileQuestion& question) {
  return ToStd(saveFileName(QApplication::activeWindow(), ToRequest(question)));
}

std::optional<std::string> Prompts::askOpenFile(const FileQuestion& question) {
  return ToStd(openFileName(QApplication::activeWindow(), ToRequest(question)));
}

std::optional<std::string> Prompts::askDirectory(const std::string& caption, const std::string& start) {
  return ToStd(directory(QApplication::activeWindow(), Q(caption), Q(start)));
}

Prompts& CurrentPrompts() {
  if (!Installed()) Installed() = std::make_unique<QtPrompts>();
  return *Installed();
}

void InstallPrompts(std::unique_ptr<Prompts> prompts) { Installed() = std::move(prompts); }

Prompts::Answer QtPrompts::message(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                                   Buttons buttons) {
  QMessageBox box(ToQt(icon), caption, text, QMessageBox::NoButton, parent);
  switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case Buttons::YesNoDefaultNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
}

std::optional<QString> Prompts::saveFileName(QWidget* parent, const FileRequest& request) {
  std::optional<SavedFile> saved = saveFile(parent, request);
  if (!saved) return std::nullopt;
  return saved->path;
}

QString SuffixForFilter(const QString& filter, const QString& defaultSuffix) {
  if (defaultSuffix.isEmpty()) return {};
  static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
  const QRegularExpressionMatch match = pattern.match(filter);
  if (!match.hasMatch()) return defaultSuffix;
  const QString own = match.captured(1);
  return own.compare(defaultSuffix, Qt::CaseInsensitive) == 0 ? defaultSuffix : own;
}

std::optional<Prompts::SavedFile> QtPrompts::saveFile(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, request.caption, request.directory, request.filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  // A name typed without an extension takes the selected filter's.
  dialog.setDefaultSuffix(SuffixForFilter(dialog.selectedNameFilter(), request.defaultSuffix));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
    dialog.setDefaultSuffix(SuffixForFilter(filter, request.defaultSuffix));
  });
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return SavedFile{dialog.selectedFiles().first(), dialog.selectedNameFilter()};
}

std::optional<QString> QtPrompts::openFileName(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, request.caption, request.directory, request.filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

namespace {

// Qt's directory chooser refuses a typed folder that does not exist ("Directory
// not found"); this one takes it, and the caller asks before creating it.
// Qt's own dialog on every system, so that it behaves the same everywhere.
class DirectoryChooser : public QFileDialog {
 public:
  DirectoryChooser(QWidget* parent, const QString& caption, const QString& start)
      : QFileDialog(parent, caption, start) {
    setFileMode(QFileDialog::Directory);
    setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  }

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (!chosen.isEmpty() && !chosen.first().isEmpty() && !QFileInfo::exists(chosen.first())) {
      QDialog::accept();  // NOLINT(bugprone-parent-virtual-call): past QFileDialog's existence check on purpose
      return;
    }
    QFileDialog::accept();
  }
};

}  // namespace

std::optional<QString> QtPrompts::directory(QWidget* parent, const QString& caption, const QString& start) {
  DirectoryChooser dialog(parent, caption, start);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().first();
  if (chosen.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen);
}

}  // namespace tvx::ui
