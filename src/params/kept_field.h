// A field's value as a sequence gets it: its text, and the valve word it was
// filled from while the text is still exactly what the program put there.
// A kept word goes back to the valve bit for bit; an edited text is converted.
#pragma once

#include "params/conversions.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tvx::params {

struct KeptField {
  std::string text;
  std::optional<std::uint32_t> keptWord;
};

// The word to send for a float field.
inline std::uint32_t FloatFieldWord(const KeptField& field) {
  return field.keptWord ? *field.keptWord : ParseFloatWord(field.text);
}

// The word to send for an unsigned integer field.
inline std::uint32_t UnsignedFieldWord(const KeptField& field) {
  return field.keptWord ? *field.keptWord : ParseUnsigned(field.text);
}

}  // namespace tvx::params
