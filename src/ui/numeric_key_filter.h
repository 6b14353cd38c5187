// Key filters of the numeric fields: digits, "," and ".", Backspace, Enter and
// Esc pass (and "-" where negative numbers are allowed); a typed "." becomes
// ","; Enter types nothing into the field (a dialog's default button still
// answers it).
// Every other character is dropped. Keys that type nothing (arrows, Delete,
// Home, End) are not characters and pass.
#pragma once

#include <QObject>

class QLineEdit;

namespace tvx::ui {

enum class NumericKeys { Unsigned, Signed };

class NumericKeyFilter : public QObject {
  Q_OBJECT
 public:
  NumericKeyFilter(NumericKeys keys, QObject* parent);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  NumericKeys keys_;
};

// Installs the filter on a field (the filter is owned by the field).
void InstallNumericKeyFilter(QLineEdit* field, NumericKeys keys = NumericKeys::Unsigned);

}  // namespace tvx::ui
