// What a service dialog's sequence sees of its dialog: fields, check boxes and
// radio buttons by component name, hints, and the modal run with the check OK
// makes before the dialog closes. The sequences
// (what is read and written in which order) stay free of widgets and are
// tested against the simulated valve with a scripted view; the forms
// implement the view on their components.
#pragma once

#include "view/field_value.h"
#include "view/ok_check.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tvx::view {

// The names are those of ComponentSink and of the parameter view: a field is
// filled with setValveText or setText and read back with fieldValue, a box is
// set with setChecked and read back with isChecked.
class DialogView {
 public:
  virtual ~DialogView() = default;

  // The separator numbers are shown with.
  virtual char decimalSeparator() const = 0;

  // Fills a field from a valve word; the field remembers the word.
  virtual void setValveText(std::string_view component, const std::string& text, std::uint32_t word) = 0;
  // Fills a field with a text of the program's own.
  virtual void setText(std::string_view component, const std::string& text) = 0;
  virtual FieldValue fieldValue(std::string_view component) const = 0;

  // Check boxes and radio buttons.
  virtual void setChecked(std::string_view component, bool checked) = 0;
  virtual bool isChecked(std::string_view component) const = 0;

  virtual void setHint(std::string_view component, const std::string& hint) = 0;

  // Shows the dialog modally; true when it was closed with OK. OK closes it
  // only when `check` passes; a failed check keeps it open.
  virtual bool run(const OkCheck& check) = 0;

  // A check stopped at this field: it does not convert (the conversion's
  // message tells the rest).
  virtual void showFailedField(std::string_view component) { (void)component; }
};

}  // namespace tvx::view
