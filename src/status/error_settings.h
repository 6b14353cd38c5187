// The valve's handling of critical errors: which of the 22 error conditions it
// handles (the error mask, parameter register 67), the temperature alarm and
// stop thresholds (registers 115 and 116) and the time placed with error 10
// (register 122).
//
// EditErrorSettings reads the values, lets an editor (the error settings
// dialog) change them and writes them to the valve's working memory; it needs
// no widget.
#pragma once

#include "link/port.h"
#include "view/field_value.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tvx::status {

// Errors 1 to 22 have check boxes; mask bit n-1 set means error n is handled.
inline constexpr int HandledErrors = 22;
inline constexpr std::uint32_t HandledErrorBits = (1u << HandledErrors) - 1;

// The component name of the check box of mask bit i (0..31): "Err" and the
// two-digit error number.
std::string ErrorBoxName(int bit);

// What the fields show for the register words: the value taken as unsigned,
// at most 125 (temperatures) or 2500 (the time).
std::string TemperatureLimitText(std::uint32_t word);
std::string StartDelayText(std::uint32_t word);

// A limit field for a register word: the text shown, and the word kept only
// while the text shows it exactly. Where the display clamps the word (115
// holding 200 shows "125"), no word is kept: OK sends what is shown.
view::FieldValue TemperatureLimitField(std::uint32_t word);
view::FieldValue StartDelayField(std::uint32_t word);

struct ErrorSettingsShown {
  std::uint32_t mask = 0;
  std::uint32_t warnLimit = 0;   // register 115
  std::uint32_t stopLimit = 0;   // register 116
  std::uint32_t startDelay = 0;  // register 122
  // What the three fields show (see TemperatureLimitField).
  view::FieldValue warnField, stopField, delayField;
};

struct ErrorSettingsAnswer {
  std::uint32_t checkedBits = 0;  // bit i: the box of mask bit i is checked
  view::FieldValue warnLimit;
  view::FieldValue stopLimit;
  view::FieldValue startDelay;
};

// What OK checks before the dialog closes (see view/ok_check.h), with what
// the dialog holds at that moment.
using ErrorSettingsCheck = std::function<bool(const ErrorSettingsAnswer&)>;

class ErrorSettingsEditor {
 public:
  virtual ~ErrorSettingsEditor() = default;
  // Shows the values; the answer on OK, nothing on cancel. OK closes only
  // when `check` passes with what the dialog holds.
  virtual std::optional<ErrorSettingsAnswer> Edit(const ErrorSettingsShown& shown, const ErrorSettingsCheck& check) = 0;
  // The check stopped at this field ("Warn_Limit", "Stop_Limit",
  // "StartDelay"): it does not convert.
  virtual void ShowFailedField(std::string_view field) { (void)field; }
};

// The held error mask and whether it holds the valve's mask: it does after a
// parameter read, or after this sequence read it, until the port closes.
struct HeldErrorMask {
  std::uint32_t& mask;
  bool& known;
};

// Reads what is not known (register 67 first when the mask is not), then 115,
// 116 and 122; on OK writes the mask (only errors 1 to 22), then 115, 116 and
// 122 in this order. All or nothing: OK checks every field before the dialog
// closes, and a field that does not hold an integer keeps it open (its
// ConversionError shown); nothing is sent before every number converts.
void EditErrorSettings(link::Port& port, HeldErrorMask held, ErrorSettingsEditor& editor);

}  // namespace tvx::status
