#include "ui/numeric_key_filter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tvx::ui {

NumericKeyFilter::NumericKeyFilter(NumericKeys keys, QObject* parent) : QObject(parent), keys_(keys) {}

bool NumericKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const QString text = key->text();
  if (text.isEmpty()) return false;  // navigation keys type nothing
  const QChar c = text.at(0);
  if (c.isDigit() && c.unicode() < 128) return false;
  if (c == QLatin1Char(',') || c == QLatin1Char('\b') || c == QChar(0x1B)) return false;
  // Enter passes on as a key the field ignores, so a dialog's default button
  // still answers it.
  if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) return false;
  if (c == QLatin1Char('-') && keys_ == NumericKeys::Signed) return false;
  if (c == QLatin1Char('.')) {
    if (auto* field = qobject_cast<QLineEdit*>(watched)) field->insert(QStringLiteral(","));
    return true;
  }
  // Anything else is dropped.
  return true;
}

void InstallNumericKeyFilter(QLineEdit* field, NumericKeys keys) {
  field->installEventFilter(new NumericKeyFilter(keys, field));
}

}  // namespace tvx::ui
