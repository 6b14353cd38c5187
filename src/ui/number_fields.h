// Numbers on screen: the decimal separator every displayed number uses, taken
// from the locale in one place, and the red / normal colour of number fields.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace tvx::ui {

// The decimal separator of the user's locale (QLocale's default, so a test can
// force one with QLocale::setDefault). Conversions accept "." and "," alike, so
// a locale whose separator is neither shows ",": what is sent is what is shown.
char DecimalSeparator();

// FormatFixed with the locale's separator.
QString FixedText(double value, int decimals);

// Field text colours: red for a value outside its limits, the system's
// window-text colour otherwise.
void SetFieldRed(QWidget* field, bool red);
bool FieldIsRed(const QWidget* field);

}  // namespace tvx::ui
