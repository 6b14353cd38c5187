// TPgm: the About picture, F1 and the "Sterownik USB" button.
#include "app/about_form.h"
#include "app/drivers.h"
#include "app/main_window.h"
#include "ui/application.h"
#include "ui/file_folders.h"
#include "ui/hint_switch.h"
#include "ui/prompts.h"

#include <QPushButton>

namespace tvx::app {

void TPgm::ConnectAboutHandlers() {
  connect(Drivers, &QPushButton::clicked, this, ui::Guarded(this, &TPgm::DriversClick));
}

void TPgm::AboutImageMouseUp(Qt::MouseButton button) {
  if (button == Qt::LeftButton) OpenAboutBox();
  else ui::ToggleHints();
}

void TPgm::OpenAboutBox() {
  TAboutForm about(this);
  about.exec();
}

void TPgm::DriversClick() {
  QString chosen;
  ExportDriverFiles(ui::CurrentPrompts(), DriverFiles(), ui::StartFolder(ui::FileFolder::DriverExport),
                    UdevRuleInstalled(UdevRuleFolders()), &chosen);
  if (!chosen.isEmpty()) ui::RememberFolder(ui::FileFolder::DriverExport, chosen, true);
}

}  // namespace tvx::app
