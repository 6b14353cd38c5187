#include "ui/checked_dialog.h"

#include "ui/application.h"

#include <QEvent>
#include <QLineEdit>

namespace tvx::ui {

void CheckedDialog::accept() {
  if (okCheckPasses()) QDialog::accept();
}

bool CheckedDialog::okCheckPasses() {
  if (!check_) return true;
  bool passed = false;
  try {
    passed = check_();
  } catch (const std::exception& error) {
    failedCheckShown_ = true;
    ShowEscapedError(QString::fromUtf8(error.what()));
  }
  return passed;
}

void CheckedDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
  activeAgainAfterFailedCheck_ = failedCheckShown_;
  failedCheckShown_ = false;
}

void CheckedDialog::showEvent(QShowEvent* event) {
  failedCheckShown_ = false;
  activeAgainAfterFailedCheck_ = false;
  QDialog::showEvent(event);
}

void FocusFailedField(QLineEdit* field) {
  if (!field || !field->isVisible() || !field->isEnabled()) return;
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
}

}  // namespace tvx::ui
