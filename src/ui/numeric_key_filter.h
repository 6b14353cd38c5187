// Key filters of the numeric fields. NumericalFieldKeyPress lets digits, ","
// and "." through (a typed "." becomes ","); NumericalFieldKeyPressX also
// lets "-" through. Every other printable character is dropped. Keys that type
// no printable character pass: Backspace, Enter, Esc, Tab and Shift+Tab,
// Delete, arrows, Home, End and the field's own shortcuts (Ctrl+C, Ctrl+V...).
// Enter types nothing into the field, so a dialog's default button still
// answers it.
#pragma once

#include <QString>

class QKeyEvent;
class QLineEdit;

namespace tvx::ui {

enum class NumericKeys { Unsigned, Signed };

// True when the key would type its text into a line edit: a printable
// character, whatever the modifiers, unless Ctrl alone makes it a shortcut.
// Alt with a letter that no accelerator takes types the letter.
bool TypesCharacter(const QKeyEvent& key);

// Each returns true when it has dealt with the key (dropped it, or typed ","
// for "."), false when the key goes on to the field.
bool NumericalFieldKeyPress(QLineEdit& field, QKeyEvent& key);
bool NumericalFieldKeyPressX(QLineEdit& field, QKeyEvent& key);
bool NumericalFieldKeyPress(QLineEdit& field, QKeyEvent& key, NumericKeys keys);

// What a paste or a drop may put into such a field: the characters the filter
// lets through, each "." as ",".
QString NumericalFieldText(const QString& text, NumericKeys keys);

class ValveField;

// Gives a field its numeric key filter; pastes and drops are filtered the same way.
void InstallNumericKeyFilter(ValveField* field, NumericKeys keys = NumericKeys::Unsigned);

}  // namespace tvx::ui
