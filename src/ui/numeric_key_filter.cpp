#include "ui/numeric_key_filter.h"

#include "ui/valve_field.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace tvx::ui {

namespace {

bool Passes(QChar c, NumericKeys keys) {
  if (c.isDigit() && c.unicode() < 128) return true;
  if (c == QLatin1Char(',') || c == QLatin1Char('.')) return true;
  return c == QLatin1Char('-') && keys == NumericKeys::Signed;
}

}  // namespace

bool TypesCharacter(const QKeyEvent& key) {
  // Ctrl (with or without Shift) makes a field shortcut, never text; with Alt,
  // Meta or AltGr a line edit types the character like any other.
  const Qt::KeyboardModifiers held = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (held == Qt::ControlModifier) return false;
  const QString text = key.text();
  return !text.isEmpty() && text.at(0).isPrint();
}

bool NumericalFieldKeyPress(QLineEdit& field, QKeyEvent& key, NumericKeys keys) {
  if (!TypesCharacter(key)) return false;
  const QChar c = key.text().at(0);
  if (!Passes(c, keys)) return true;  // dropped
  if (c == QLatin1Char('.')) {
    // Typed again as ",", so the field's own rules (its typed length) apply.
    QKeyEvent comma(QEvent::KeyPress, Qt::Key_Comma, key.modifiers(), QStringLiteral(","));
    QCoreApplication::sendEvent(&field, &comma);
    return true;
  }
  return false;
}

bool NumericalFieldKeyPress(QLineEdit& field, QKeyEvent& key) {
  return NumericalFieldKeyPress(field, key, NumericKeys::Unsigned);
}

bool NumericalFieldKeyPressX(QLineEdit& field, QKeyEvent& key) {
  return NumericalFieldKeyPress(field, key, NumericKeys::Signed);
}

QString NumericalFieldText(const QString& text, NumericKeys keys) {
  QString out;
  for (QChar c : text) {
    if (!Passes(c, keys)) continue;
    out.append(c == QLatin1Char('.') ? QLatin1Char(',') : c);
  }
  return out;
}

void InstallNumericKeyFilter(ValveField* field, NumericKeys keys) { field->setNumericKeys(keys); }

}  // namespace tvx::ui
