// The login dialog: the password entered fixes AccessLevel for the whole run.
#pragma once

#include <QDialog>

class QPushButton;

namespace tvx::ui {
class Image;
class Label;
class Panel;
class ValveField;
}  // namespace tvx::ui

namespace tvx::app {

// The name of an access level (0 to 4), unscrambled on demand.
std::string AccessLevelNameOf(int level);

class TPasswordForm : public QDialog {
  Q_OBJECT
 public:
  explicit TPasswordForm(QWidget* parent = nullptr);

  ui::Panel* PicturePanel = nullptr;
  ui::Image* Logo = nullptr;
  ui::Label* Prompt = nullptr;
  ui::ValveField* Password = nullptr;
  QPushButton* Done = nullptr;
  ui::Label* Version = nullptr;

  // True once the dialog has taken its borderless rounded shape.
  bool shaped() const { return shaped_; }

 public slots:
  // Compares the entry with the stored passwords, sets AccessLevel and the
  // level's name, and closes the dialog.
  void DoneClick();

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void FormActivate();

  bool shaped_ = false;
};

}  // namespace tvx::app
