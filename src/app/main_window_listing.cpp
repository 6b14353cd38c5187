// TPgm: the developers' component listing, written at access level 4 when the
// mouse button is released over the port indicator.
#include "app/component_listing.h"
#include "app/definitions.h"
#include "app/main_window.h"
#include "platform/program_files.h"
#include "ui/widgets.h"

#include <QDate>
#include <QLocale>

namespace tvx::app {

void TPgm::PortStateMouseUp() {
  if (AccessLevel == 4) WriteComponentList();
}

void TPgm::WriteComponentList() {
  const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
  SaveDialog->fileName = QString::fromStdString(ComponentListFileName(date.toStdString()));
  if (!SaveDialog->execute(this)) return;

  std::vector<ListedComponent> listed;
  for (const ui::Component& c : components_.components())
    listed.push_back({c.className.toStdString(), c.name.toStdString(), c.tag});
  const std::string text = ComponentListing(listed);

  // Written whole or not at all, never over a device or a FIFO; a failure
  // names the file (platform::FileError) and reaches the program's error box.
  platform::WriteWholeFile(SaveDialog->fileName.toStdString(), text);
}

}  // namespace tvx::app
