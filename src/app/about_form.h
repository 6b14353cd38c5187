// The About box: the program's name, version and date under the maker's logo,
// and the maker's contact lines below a line. Created for each opening with the
// main window as owner, shown modally; Esc closes it.
#pragma once

#include <QDialog>

class QFrame;

namespace tvx::ui {
class Image;
class Label;
}  // namespace tvx::ui

namespace tvx::app {

class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 350;
  static constexpr int ClientHeight = 303;

  explicit TAboutForm(QWidget* owner = nullptr);

  ui::Image* LogoJPG = nullptr;
  ui::Label* PgmName = nullptr;
  ui::Label* Version = nullptr;
  QFrame* PanelLine = nullptr;
  ui::Label* CopyInfo = nullptr;
  ui::Label* Street = nullptr;
  ui::Label* Town = nullptr;
  ui::Label* Phone = nullptr;
  ui::Label* Mail = nullptr;

 private:
  void FormCreate();
  // Left edge (client width - text width) / 2, the width measured in the label's font.
  void Centre(ui::Label* label);
};

}  // namespace tvx::app
