#include "service/ramp_setup.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "params/config_word.h"
#include "params/dialog_fields.h"
#include "params/conversions.h"
#include "params/plausible_words.h"
#include "params/register_map.h"

namespace tvx::service {

const std::array<RampField, 4> RampFields{{
    {"Ramp_A_Rise", params::reg::RampA_Rise},
    {"Ramp_A_Fall", params::reg::RampA_Fall},
    {"Ramp_B_Rise", params::reg::RampB_Rise},
    {"Ramp_B_Fall", params::reg::RampB_Fall},
}};

void RampSetup(link::Port& port, view::DialogView& dialog, params::HeldParameters& held, bool heldFlagsRead) {
  // The solenoid B times are read also when their fields are hidden, so that
  // OK writes them back unchanged.
  for (const RampField& f : RampFields) params::ReadFloatIntoField(port, dialog, f.name, f.reg);
  if (!heldFlagsRead) {
    held.rampEnable =
        params::ConfigWord::Decode(params::ReadParameterWord(port, params::reg::Configuration)).rampEnable;
  }
  dialog.setChecked(RampEnableBox, held.rampEnable);

  const auto words = params::RunFloatFieldDialog(dialog, RampFields);
  if (!words) return;

  link::ChangeLogScope logged("Rampa");
  params::WriteFieldWords(port, RampFields, *words);
  held.rampEnable = dialog.isChecked(RampEnableBox);
  link::SendCommand(port, params::cmd::RampEnable, params::YesNoToWord(held.rampEnable));
}

}  // namespace tvx::service
