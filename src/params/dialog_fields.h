// The float fields of a service dialog: read into a field, converted back,
// written all or nothing.
#pragma once

#include "link/exchanges.h"
#include "view/dialog_view.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tvx::params {

// Reads a float parameter register and shows it in a field with 3 decimals.
// Returns the word read.
std::uint32_t ReadFloatIntoField(view::DialogView& view, std::string_view name, int reg);

// A float field's word: the kept word bit for bit, an edited text converted.
// A text that does not convert is shown to the view, then its ConversionError
// is thrown.
std::uint32_t FloatFieldWord(view::DialogView& view, std::string_view name);

// Writes float fields ({name, reg} each) to their registers in order, all or
// nothing: every field is converted before the first frame. Returns the words
// written, in the fields' order.
template <class Fields>
std::vector<std::uint32_t> WriteFloatFields(view::DialogView& view, const Fields& fields) {
  std::vector<std::uint32_t> words;
  words.reserve(std::size(fields));
  for (const auto& f : fields) words.push_back(FloatFieldWord(view, f.name));
  std::size_t i = 0;
  for (const auto& f : fields) link::WriteRegister(f.reg, words[i++]);
  return words;
}

}  // namespace tvx::params
