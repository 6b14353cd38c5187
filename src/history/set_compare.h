// Parameter sets compared register by register, in the window's words:
// "Częstotliwość PWM (PWM) [Hz] 2000 -> 1500". No widgets.
#pragma once

#include "history/valve_record.h"

#include <QString>

#include <vector>

namespace tvx::history {

struct ParameterDifference {
  int reg = 0;
  QString caption;        // "Częstotliwość PWM (PWM) [Hz]"; a register outside the set: "R023"
  QString before, after;  // the values as the fields show them; "?" when not known
};

// The caption of a parameter register and a word of it as text.
QString ParameterCaption(int reg);
QString ParameterText(int reg, std::uint32_t word, char decimalSeparator);

// The registers whose words differ; with `knownOnly`, only those known on
// both sides (what an operation changed), else also those known on one side.
std::vector<ParameterDifference> Compare(const SetWordsArray& before, const SetWordsArray& after, char decimalSeparator,
                                         bool knownOnly);
// "Częstotliwość PWM (PWM) [Hz] 2000 -> 1500; Elektromagnes A: Prąd minimalny Imin [A] 0,100 -> 0,200".
QString ChangesText(const std::vector<ParameterDifference>& differences);

}  // namespace tvx::history
