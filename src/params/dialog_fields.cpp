#include "params/dialog_fields.h"

#include "link/comm_error.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/plausible_words.h"

namespace tvx::params {

std::uint32_t ReadFloatIntoField(link::Port& port, view::DialogView& view, std::string_view name, int reg) {
  const std::uint32_t word = ReadParameterWord(port, reg);
  view.setValveText(name, FormatFixed(WordToFloat(word), 3, view.decimalSeparator()), word);
  return word;
}

std::uint32_t FloatFieldWord(view::DialogView& view, std::string_view name) {
  try {
    return ParseFloatWord(view.fieldValue(name));
  } catch (const link::ConversionError&) {
    view.showFailedField(name);
    throw;
  }
}

}  // namespace tvx::params
