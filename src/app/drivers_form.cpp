#include "app/drivers_form.h"

#include "ui/prompts.h"

#include <QDir>

namespace tvx::app {

std::optional<QString> PromptsDriverExportUser::chooseFolder(const QString& start) {
  return ui::CurrentPrompts().directory(parent_, QString(), start);
}

bool PromptsDriverExportUser::ask(Question question, const QString& text, const QString& caption) {
  using P = ui::Prompts;
  if (question == Question::CreateFolder)
    return ui::CurrentPrompts().message(parent_, text, caption, P::Icon::Question, P::Buttons::YesNo) ==
           P::Answer::Yes;
  return ui::CurrentPrompts().message(parent_, text, caption, P::Icon::Question, P::Buttons::OkCancel) ==
         P::Answer::Ok;
}

void PromptsDriverExportUser::tell(bool success, const QString& text, const QString& caption) {
  ui::CurrentPrompts().message(parent_, text, caption,
                               success ? ui::Prompts::Icon::Information : ui::Prompts::Icon::Error);
}

DriverExportResult ExportDriversFrom(QWidget* parent) {
  PromptsDriverExportUser user(parent);
  return ExportDriverFiles(user, DriverFiles(), QDir::currentPath());
}

}  // namespace tvx::app
