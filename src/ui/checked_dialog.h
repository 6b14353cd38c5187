// A dialog whose OK checks before it closes. The sequence behind the dialog
// hands its check to the dialog (see view/ok_check.h); OK closes the dialog
// only when the check passes. A failed check leaves the dialog open with the
// person's edits, its error shown as the program's error box and the focus on
// the field that did not convert, its whole text selected.
#pragma once

#include "view/ok_check.h"

#include <QDialog>

#include <utility>

class QLineEdit;

namespace tvx::ui {

class CheckedDialog : public QDialog {
  Q_OBJECT
 public:
  using QDialog::QDialog;

  // The check OK runs; none: OK just closes.
  void setOkCheck(view::OkCheck check) { check_ = std::move(check); }

  // OK: closes with the OK result when the check passes.
  void accept() override;

  // Runs the check; an error it throws is shown as the program's error box.
  // True when the dialog may close.
  bool okCheckPasses();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

  // The dialog became active again when the message of a failed check closed:
  // the focus stays on the failing field (true until the next activation).
  bool activeAgainAfterFailedCheck() const { return activeAgainAfterFailedCheck_; }

 private:
  view::OkCheck check_;
  bool failedCheckShown_ = false;
  bool activeAgainAfterFailedCheck_ = false;
};

// The field a check stopped at: focused, its whole text selected, where the
// person sees it.
void FocusFailedField(QLineEdit* field);

}  // namespace tvx::ui
