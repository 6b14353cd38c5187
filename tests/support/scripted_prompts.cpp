#include "support/scripted_prompts.h"

#include <memory>
#include <utility>

namespace tvx::testing {

namespace {

// The answer of a box closed with Enter: its default button.
ui::Prompts::Answer DefaultAnswer(ui::Prompts::Buttons buttons) {
  using Buttons = ui::Prompts::Buttons;
  switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel: return ui::Prompts::Answer::Ok;
    case Buttons::YesNoDefaultNo: return ui::Prompts::Answer::No;
    case Buttons::YesNo:
    case Buttons::YesNoCancel: break;
  }
  return ui::Prompts::Answer::Yes;
}

}  // namespace

std::vector<ScriptedPrompts::Shown> ScriptedPrompts::messages() const {
  std::vector<Shown> result;
  for (const Shown& s : shown_) {
    if (s.kind == Shown::Kind::Message) result.push_back(s);
  }
  return result;
}

ui::Prompts::Answer ScriptedPrompts::message(QWidget*, const QString& text, const QString& caption, Icon icon,
                                             Buttons buttons) {
  shown_.push_back({Shown::Kind::Message, text, caption, icon, buttons, {}});
  if (whileShown_) {
    // Once, as a modal box runs the event loop while it is open.
    const std::function<void()> during = std::move(whileShown_);
    whileShown_ = nullptr;
    during();
  }
  if (answers_.empty()) return DefaultAnswer(buttons);
  Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<ui::Prompts::SavedFile> ScriptedPrompts::saveFile(QWidget*, const FileRequest& request) {
  shown_.push_back({Shown::Kind::SaveFile, request.fileName, request.caption, Icon::None, Buttons::Ok, request});
  if (files_.empty()) return std::nullopt;
  std::optional<SavedFile> saved = files_.front();
  files_.pop_front();
  if (saved && saved->filter.isEmpty()) saved->filter = request.filter.section(QStringLiteral(";;"), 0, 0);
  return saved;
}

std::optional<QString> ScriptedPrompts::openFileName(QWidget*, const FileRequest& request) {
  shown_.push_back({Shown::Kind::OpenFile, request.fileName, request.caption, Icon::None, Buttons::Ok, request});
  if (files_.empty()) return std::nullopt;
  const bool chosen = files_.front().has_value();
  const QString path = chosen ? files_.front()->path : QString();
  files_.pop_front();
  if (!chosen) return std::nullopt;
  return path;
}

std::optional<QString> ScriptedPrompts::directory(QWidget*, const QString& caption, const QString& start) {
  shown_.push_back({Shown::Kind::Directory, start, caption, Icon::None, Buttons::Ok, {}});
  if (directories_.empty()) return std::nullopt;
  const bool chosen = directories_.front().has_value();
  const QString path = chosen ? *directories_.front() : QString();
  directories_.pop_front();
  if (!chosen) return std::nullopt;
  return path;
}

ScopedScriptedPrompts::ScopedScriptedPrompts() {
  auto prompts = std::make_unique<ScriptedPrompts>();
  prompts_ = prompts.get();
  ui::InstallPrompts(std::move(prompts));
}

ScopedScriptedPrompts::~ScopedScriptedPrompts() { ui::InstallPrompts(nullptr); }

}  // namespace tvx::testing
