// TPgm: the profiles dialog, the error-handling settings and the
// linearisation table editor. Each handler creates its dialog and hands it to
// the dialog's sequence (params/profiles.h, status/error_settings.h,
// service/lin_table.h).
#include "app/definitions.h"
#include "app/main_window.h"
#include "params/setup_form.h"
#include "service/lin_table_form.h"
#include "status/errors_form.h"
#include "ui/application.h"

#include <QPushButton>

namespace tvx::app {

void TPgm::ConnectProfileHandlers() {
  using ui::Guarded;
  connect(SelectSetup, &QPushButton::clicked, this, Guarded(this, &TPgm::SelectSetupClick));
  connect(ErrorSetup, &QPushButton::clicked, this, Guarded(this, &TPgm::ErrorSetupClick));
  connect(LinTable_A, &QPushButton::clicked, this, Guarded([this] { LinTableClick(LinTable_A); }));
  connect(LinTable_B, &QPushButton::clicked, this, Guarded([this] { LinTableClick(LinTable_B); }));
}

void TPgm::SelectSetupClick() {
  params::SetupFormSelection selection(port_, session_.valve, this, SelectSetup, AccessLevel);
  params::SelectProfile(port_, session_.valve, selection);
}

void TPgm::ErrorSetupClick() {
  status::TErrorsForm form(this);
  status::EditErrorSettings(port_, {session_.valve.Held.errorMask, session_.valve.ErrorMaskKnown}, form);
}

void TPgm::LinTableClick(QObject* sender) {
  const service::LinTableKind kind = service::KindOfOpener(sender->objectName().toStdString());
  service::TLinTableForm form(this);
  service::EditLinTable(port_, kind, service::UseFlagOf(session_.valve.Held, kind), form);
}

}  // namespace tvx::app
