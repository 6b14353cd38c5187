// What a sequence gets for an edit field: its text and, while the text is
// still exactly what the program put there from a valve word, that word.
// A kept word goes back to the valve bit for bit, so a read followed by a
// send never changes a value the field cannot show exactly (decimals cut,
// NaN, exponent form); an edited text is converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tvx::view {

struct FieldValue {
  std::string text;                       // UTF-8
  std::optional<std::uint32_t> keptWord;  // set while the text is unedited
};

}  // namespace tvx::view
