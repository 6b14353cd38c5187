// Every question and message the program puts to the user goes through Prompts:
// message boxes, file dialogs and the directory chooser. The program uses the
// Qt implementation; a test installs prompts of its own (InstallPrompts) that
// record what was shown and answer from a script.
// Prompts are also the Questions of the sequences below the windows: those
// come here with the active window as parent.
#pragma once

#include "view/questions.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace tvx::ui {

class Prompts : public view::Questions {
 public:
  struct FileRequest {
    QString caption;
    QString directory;
    QString fileName;       // proposed name
    QString filter;         // e.g. "Pliki konfiguracji (*.cfg)"
    QString defaultSuffix;  // without the dot
    // A save dialog asks before replacing a file, unless the caller asks its
    // own question (then the user must not be asked twice).
    bool confirmOverwrite = true;
  };

  // What a save dialog gives back: the name and the filter selected with it.
  struct SavedFile {
    QString path;
    QString filter;  // one entry of the request's filter list
  };

  ~Prompts() override = default;

  // A message box. Texts may hold "\n" line breaks.
  virtual Answer message(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                         Buttons buttons = Buttons::Ok) = 0;
  // Nothing when the user cancels.
  virtual std::optional<SavedFile> saveFile(QWidget* parent, const FileRequest& request) = 0;
  std::optional<QString> saveFileName(QWidget* parent, const FileRequest& request);
  virtual std::optional<QString> openFileName(QWidget* parent, const FileRequest& request) = 0;
  virtual std::optional<QString> directory(QWidget* parent, const QString& caption, const QString& start) = 0;

  // The sequences' questions, parented to the active window.
  Answer ask(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) final;
  std::optional<std::string> askSaveFile(const FileQuestion& question) final;
  std::optional<std::string> askOpenFile(const FileQuestion& question) final;
  std::optional<std::string> askDirectory(const std::string& caption, const std::string& start) final;
};

// The prompts in use (a QtPrompts unless one was installed).
Prompts& CurrentPrompts();
// Installs `prompts` (ownership passes); an empty pointer restores the Qt one.
void InstallPrompts(std::unique_ptr<Prompts> prompts);

class QtPrompts : public Prompts {
 public:
  Answer message(QWidget* parent, const QString& text, const QString& caption, Icon icon, Buttons buttons) override;
  std::optional<SavedFile> saveFile(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> openFileName(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> directory(QWidget* parent, const QString& caption, const QString& start) override;
};

// The extension a name typed without one gets when `filter` (one entry of a
// filter list, e.g. "PNG (*.png)") is selected: the filter's own, written as
// `defaultSuffix` when they match; `defaultSuffix` for a filter without one.
// Empty when `defaultSuffix` is (then nothing is added).
QString SuffixForFilter(const QString& filter, const QString& defaultSuffix);

}  // namespace tvx::ui
