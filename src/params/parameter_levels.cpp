#include "params/parameter_levels.h"

#include "params/register_map.h"

#include <algorithm>
#include <iterator>

namespace tvx::params {

int EditLevel(std::string_view name) {
  static constexpr std::string_view Level2[] = {"configuration", "Coil_A_Correct", "Coil_B_Correct",
                                                "IN1_4_20_Offset", "DigiPot_Value", "DAC_Gain",
                                                "ADC_Gain", "LVDT_Offset", "LVDT_Gain", "Ramp_Start_Delay"};
  static constexpr std::string_view Level3[] = {"I_Limit", "Near_Zero_Zone"};
  if (std::find(std::begin(Level3), std::end(Level3), name) != std::end(Level3)) return 3;
  if (std::find(std::begin(Level2), std::end(Level2), name) != std::end(Level2)) return 2;
  const ParameterRegister* row = FindParameterByField(name);
  // Held words are changed by the service dialogs.
  if (row && row->holder == Holder::Held) return 3;
  return 1;
}

int ShowLevel(std::string_view name) {
  // Shown from level 1, changed from level 3.
  if (name == "I_Limit" || name == "Near_Zero_Zone") return 1;
  return EditLevel(name);
}

}  // namespace tvx::params
