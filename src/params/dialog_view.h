// What a service dialog's sequence sees of its dialog: fields, check boxes and
// radio buttons by component name, hints, and the modal run. The sequences
// (what is read and written in which order) stay free of widgets and are
// tested against the simulated valve with a scripted view; the forms
// implement the view on their components.
#pragma once

#include "params/field_value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tvx::params {

class DialogView {
 public:
  virtual ~DialogView() = default;

  // The separator numbers are shown with.
  virtual char decimalSeparator() const = 0;

  // Fills a field from a valve word; the field remembers the word.
  virtual void showValue(std::string_view name, const std::string& text, std::uint32_t word) = 0;
  // Fills a field with a text of the program's own.
  virtual void setText(std::string_view name, const std::string& text) = 0;
  virtual FieldValue field(std::string_view name) const = 0;

  // Check boxes and radio buttons.
  virtual void setChecked(std::string_view name, bool on) = 0;
  virtual bool checked(std::string_view name) const = 0;

  virtual void setHint(std::string_view name, const std::string& hint) = 0;

  // Shows the dialog modally; true when it was closed with OK.
  virtual bool run() = 0;
};

// Reads a float parameter register and shows it in a field with 3 decimals.
// Returns the word read.
std::uint32_t ReadFloatIntoField(DialogView& view, std::string_view name, int reg);

// Writes a float field to a parameter register: the kept word bit for bit,
// an edited text converted. Returns the word written.
std::uint32_t WriteFloatField(const DialogView& view, std::string_view name, int reg);

}  // namespace tvx::params
