// Numbers and texts on screen: the decimal separator every displayed number
// uses, taken from the locale in one place; UTF-8 texts of the logic as
// QString; text colours (red / normal and any other).
#pragma once

#include <QColor>
#include <QString>

#include <string_view>

class QWidget;

namespace tvx::ui {

// The decimal separator of the user's locale (QLocale's default, so a test can
// force one with QLocale::setDefault). Conversions accept "." and "," alike, so
// a locale whose separator is neither shows ",": what is sent is what is shown.
char DecimalSeparator();

// A UTF-8 text of the logic (texts, captions, hints) as a QString.
QString FromUtf8(std::string_view text);

// The system's window-text colour, the normal colour of every text.
QColor WindowTextColour();
// The colour of a widget's texts (label, field, button and check-box texts).
void SetTextColour(QWidget* widget, const QColor& colour);

// Field text colours: red for a value outside its limits, the system's
// window-text colour otherwise.
void SetFieldRed(QWidget* field, bool red);
bool FieldIsRed(const QWidget* field);

}  // namespace tvx::ui
