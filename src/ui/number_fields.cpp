#include "ui/number_fields.h"

#include "params/conversions.h"

#include <QApplication>
#include <QLocale>
#include <QPalette>
#include <QWidget>

namespace tvx::ui {

char DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point == QLatin1String(".") ? '.' : ',';
}

QString FixedText(double value, int decimals) {
  return QString::fromStdString(params::FormatFixed(value, decimals, DecimalSeparator()));
}

void SetFieldRed(QWidget* field, bool red) {
  QPalette p = field->palette();
  const QColor colour = red ? QColor(Qt::red) : QApplication::palette().color(QPalette::WindowText);
  p.setColor(QPalette::Text, colour);
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::ButtonText, colour);
  field->setPalette(p);
}

bool FieldIsRed(const QWidget* field) { return field->palette().color(QPalette::Text) == QColor(Qt::red); }

}  // namespace tvx::ui
