// Parameter sets compared register by register, in words people read:
// "PWM [Hz] 2000 -> 1500". No widgets.
#pragma once

#include "history/valve_record.h"

#include <QString>

#include <vector>

namespace tvx::history {

struct ParameterDifference {
  int reg = 0;
  QString caption;        // "PWM [Hz]"; a register without a field: "R023"
  QString before, after;  // the values as the fields show them; "?" when not known
};

// The caption of a parameter register and a word of it as text.
QString ParameterCaption(int reg);
QString ParameterText(int reg, std::uint32_t word, char decimalSeparator);

// The registers whose words differ; with `knownOnly`, only those known on
// both sides (what an operation changed), else also those known on one side.
std::vector<ParameterDifference> Compare(const SetWordsArray& before, const SetWordsArray& after,
                                         char decimalSeparator, bool knownOnly);
// "PWM [Hz] 2000 -> 1500; Coil_A_Imin [A] 0,100 -> 0,200".
QString ChangesText(const std::vector<ParameterDifference>& differences);

}  // namespace tvx::history
