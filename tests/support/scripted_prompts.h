// Prompts for the tests: every message, file and directory question is
// recorded and answered from a script, so every path that asks is testable.
// ScopedScriptedPrompts installs them through ui::InstallPrompts in place of
// the program's Qt dialogs.
#pragma once

#include "ui/prompts.h"

#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace tvx::testing {

// Records every prompt and answers from queues. A message without a queued
// answer gets its default button's answer (Ok or Yes, No for YesNoDefaultNo),
// as a person pressing Enter would; a file or directory
// question without a queued answer is cancelled.
class ScriptedPrompts : public ui::Prompts {
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

}  // namespace tvx::testing
