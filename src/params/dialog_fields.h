// The float fields of a service dialog: read into a field, converted back,
// written all or nothing once the dialog's OK has checked them.
#pragma once

#include "link/exchanges.h"
#include "view/dialog_view.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tvx::params {

// Reads a float parameter register and shows it in a field with 3 decimals.
// Returns the word read.
std::uint32_t ReadFloatIntoField(link::Port& port, view::DialogView& view, std::string_view name, int reg);

// A float field's word: the kept word bit for bit, an edited text converted.
// A text that does not convert is shown to the view, then its ConversionError
// is thrown.
std::uint32_t FloatFieldWord(view::DialogView& view, std::string_view name);

// The words of float fields ({name, reg} each), in the fields' order, every
// one converted before any is sent. The first text that does not convert is
// shown to the view, then its ConversionError is thrown.
template <class Fields>
std::vector<std::uint32_t> FloatFieldWords(view::DialogView& view, const Fields& fields) {
  std::vector<std::uint32_t> words;
  words.reserve(std::size(fields));
  for (const auto& f : fields) words.push_back(FloatFieldWord(view, f.name));
  return words;
}

// Shows the dialog; OK closes it only when every float field converts. The
// fields' words on OK, nothing on cancel.
template <class Fields>
std::optional<std::vector<std::uint32_t>> RunFloatFieldDialog(view::DialogView& view, const Fields& fields) {
  if (!view.run([&] {
        FloatFieldWords(view, fields);
        return true;
      }))
    return std::nullopt;
  return FloatFieldWords(view, fields);
}

// Writes the words to the fields' registers in order.
template <class Fields>
void WriteFieldWords(link::Port& port, const Fields& fields, const std::vector<std::uint32_t>& words) {
  std::size_t i = 0;
  for (const auto& f : fields) link::WriteRegister(port, f.reg, words.at(i++));
}

}  // namespace tvx::params
