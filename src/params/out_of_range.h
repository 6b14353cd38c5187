// The limits a window marks a field red for, as a send checks them before its
// first frame. The colours never block a send by themselves; a field outside
// its limits goes to the valve only after the user said yes to one question
// that lists every such field with its caption, its text and what is allowed.
#pragma once

#include "view/questions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvx::params {

struct OutOfRange {
  std::string field;    // component name
  std::string caption;  // as the window labels the field
  std::string value;    // the field's text
  std::string allowed;  // what the limits allow, in words
};

// A field's text by component name; nothing when the window has no such field.
using FieldTexts = std::function<std::optional<std::string>(std::string_view field)>;

// The fields of the whole parameter set the window marks red: PWM, I_Limit,
// DAC_Imax, the coil currents (solenoid B only with 3 positions, where its
// fields are shown), the three service gains and the dither fields of the
// options dialog (amplitude against the PWM maximum). A text that is no number
// is left to the conversion.
std::vector<OutOfRange> OutOfRangeSetFields(const FieldTexts& text, bool threePositions, std::uint32_t pwmMax,
                                            char decimalSeparator);
// The options dialog's dither fields alone.
std::vector<OutOfRange> OutOfRangeDitherFields(const FieldTexts& text, std::uint32_t pwmMax, char decimalSeparator);

// Nothing to ask: true. Otherwise the question (default answer No); true only
// for "Tak".
bool SendOutOfRange(view::Questions& questions, const std::vector<OutOfRange>& fields);

inline constexpr const char* OutOfRangeCaption = " Wartości poza zakresem";

}  // namespace tvx::params
