// Every question and message the program puts to the user goes through Prompts:
// message boxes, file dialogs and the directory chooser. The program installs
// the Qt implementation; tests install ScriptedPrompts, which records what was
// shown and answers from a script, so every path that asks is testable.
// Prompts are also the Questions of the sequences below the windows: those
// come here with the active window as parent.
#pragma once

#include "view/questions.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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

// Records every prompt and answers from queues. A message without a queued
// answer gets its default button's answer (Ok or Yes, No for YesNoDefaultNo),
// as a person pressing Enter would; a file or directory
// question without a queued answer is cancelled.
class ScriptedPrompts : public Prompts {
 public:
  struct Shown {
    enum class Kind { Message, SaveFile, OpenFile, Directory } kind;
    QString text;  // message text, or the proposed file name / start directory
    QString caption;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    FileRequest request;
  };

  void queueAnswer(Answer answer) { answers_.push_back(answer); }
  // An empty optional queues a cancel. A save answer comes back with
  // `filter` selected, or the request's first filter when it is empty.
  void queueFileName(std::optional<QString> path, QString filter = {}) {
    files_.push_back(path ? std::optional<SavedFile>(SavedFile{std::move(*path), std::move(filter)}) : std::nullopt);
  }
  void queueDirectory(std::optional<QString> path) { directories_.push_back(std::move(path)); }
  // Runs once while the next message is "open", as a real box runs the
  // event loop (timers tick, posted events arrive).
  void whileNextMessageShown(std::function<void()> during) { whileShown_ = std::move(during); }

  const std::vector<Shown>& shown() const { return shown_; }
  std::vector<Shown> messages() const;
  void clear() { shown_.clear(); }

  Answer message(QWidget* parent, const QString& text, const QString& caption, Icon icon, Buttons buttons) override;
  std::optional<SavedFile> saveFile(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> openFileName(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> directory(QWidget* parent, const QString& caption, const QString& start) override;

 private:
  std::vector<Shown> shown_;
  std::deque<Answer> answers_;
  std::deque<std::optional<SavedFile>> files_;
  std::deque<std::optional<QString>> directories_;
  std::function<void()> whileShown_;
};

// Installs a ScriptedPrompts for the lifetime of the object and gives access to it.
class ScopedScriptedPrompts {
 public:
  ScopedScriptedPrompts();
  ~ScopedScriptedPrompts();
  ScopedScriptedPrompts(const ScopedScriptedPrompts&) = delete;
  ScopedScriptedPrompts& operator=(const ScopedScriptedPrompts&) = delete;
  ScriptedPrompts* operator->() const { return prompts_; }
  ScriptedPrompts& operator*() const { return *prompts_; }

 private:
  ScriptedPrompts* prompts_;
};

}  // namespace tvx::ui
