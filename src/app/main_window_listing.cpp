// TPgm: the developers' component listing, written at access level 4 when the
// mouse button is released over the port indicator.
#include "app/component_listing.h"
#include "app/definitions.h"
#include "app/main_window.h"
#include "ui/widgets.h"

#include <QDate>
#include <QLocale>
#include <QSaveFile>

#include <stdexcept>

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

  // Written to a temporary file and renamed, so a failed write leaves any
  // earlier listing of that name as it was.
  QSaveFile file(SaveDialog->fileName);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
      !file.commit()) {
    throw std::runtime_error("I/O error: " + file.errorString().toStdString());
  }
}

}  // namespace tvx::app
