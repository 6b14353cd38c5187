// The program's entry: the login first, then the main window and the hidden
// options dialog, then the message loop until the main window closes.
#include "app/change_log_place.h"
#include "app/main_window.h"
#include "app/password_form.h"
#include "program_info.h"
#include "service/options_form.h"
#include "ui/application.h"
#include "link/change_log.h"
#include "history/recorder.h"
#include "app/definitions.h"
#include "app/link_hooks.h"

int main(int argc, char** argv) {
  tvx::ui::Application app(argc, argv);
  tvx::ui::ApplyProgramFont(app);
  tvx::ui::InstallQtTranslation(app);
  tvx::app::InstallLinkHooks();
  tvx::link::SetChangeLogFile(tvx::app::ChangeLogFilePath());
  // Every set read or written goes into the valve history (opened on its first record).
  tvx::history::HistoryRecorder history(
      [](const QString& text) { tvx::app::ShowDeferredWarning(text, QStringLiteral(" Historia zaworów")); });

  tvx::ui::Application::setTitle(QString::fromUtf8(tvx::LoginTitle));
  {
    tvx::app::TPasswordForm login;
    login.exec();
  }

  tvx::ui::Application::setTitle(QString::fromUtf8(tvx::ApplicationTitle));
  history.setAccessLevel(tvx::app::AccessLevel);
  tvx::app::TPgm pgm;
  tvx::service::TOptionsForm options(pgm.port(), &pgm);
  pgm.show();
  return app.exec();
}
