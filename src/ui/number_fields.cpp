#include "ui/number_fields.h"

#include <QApplication>
#include <QLocale>
#include <QPalette>
#include <QWidget>

namespace tvx::ui {

char DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point == QLatin1String(".") ? '.' : ',';
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor WindowTextColour() { return QApplication::palette().color(QPalette::WindowText); }

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette p = widget->palette();
  p.setColor(QPalette::Text, colour);
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::ButtonText, colour);
  widget->setPalette(p);
}

void SetFieldRed(QWidget* field, bool red) { SetTextColour(field, red ? QColor(Qt::red) : WindowTextColour()); }

bool FieldIsRed(const QWidget* field) { return field->palette().color(QPalette::Text) == QColor(Qt::red); }

}  // namespace tvx::ui
