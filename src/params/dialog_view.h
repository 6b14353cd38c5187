// What a service dialog's sequence sees of its dialog: fields, check boxes and
// radio buttons by component name, hints, and the modal run with the check OK
// makes before the dialog closes. The sequences
// (what is read and written in which order) stay free of widgets and are
// tested against the simulated valve with a scripted view; the forms
// implement the view on their components.
#pragma once

#include "link/exchanges.h"
#include "params/field_value.h"
#include "view/ok_check.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

  // Shows the dialog modally; true when it was closed with OK. OK closes it
  // only when `check` passes; a failed check keeps it open.
  virtual bool run(const view::OkCheck& check) = 0;

  // A check stopped at this field: it does not convert (the conversion's
  // message tells the rest).
  virtual void showFailedField(std::string_view name) { (void)name; }
};

// Reads a float parameter register and shows it in a field with 3 decimals.
// Returns the word read.
std::uint32_t ReadFloatIntoField(DialogView& view, std::string_view name, int reg);

// A float field's word: the kept word bit for bit, an edited text converted.
// A text that does not convert is shown to the view, then its ConversionError
// is thrown.
std::uint32_t FloatFieldWord(DialogView& view, std::string_view name);

// The words of float fields ({name, reg} each), in the fields' order, every
// one converted before any is sent. The first text that does not convert is
// shown to the view, then its ConversionError is thrown.
template <class Fields>
std::vector<std::uint32_t> FloatFieldWords(DialogView& view, const Fields& fields) {
  std::vector<std::uint32_t> words;
  for (const auto& f : fields) words.push_back(FloatFieldWord(view, f.name));
  return words;
}

// Shows the dialog; OK closes it only when every float field converts. The
// fields' words on OK, nothing on cancel.
template <class Fields>
std::optional<std::vector<std::uint32_t>> RunFloatFieldDialog(DialogView& view, const Fields& fields) {
  if (!view.run([&] {
        FloatFieldWords(view, fields);
        return true;
      }))
    return std::nullopt;
  return FloatFieldWords(view, fields);
}

// Writes the words to the fields' registers in order.
template <class Fields>
void WriteFieldWords(const Fields& fields, const std::vector<std::uint32_t>& words) {
  std::size_t i = 0;
  for (const auto& f : fields) link::WriteRegister(f.reg, words.at(i++));
}

}  // namespace tvx::params
