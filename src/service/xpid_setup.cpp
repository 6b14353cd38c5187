#include "service/xpid_setup.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "params/config_word.h"
#include "params/dialog_fields.h"
#include "params/conversions.h"
#include "params/plausible_words.h"
#include "params/register_map.h"

namespace tvx::service {

namespace reg = params::reg;
using Held = params::HeldParameters;

const std::array<XpidField, 4> NearZeroFields{{
    {"XPID_Limit_A", reg::NearZeroLimitA, nullptr},
    {"XPID_Limit_B", reg::NearZeroLimitB, nullptr},
    {"XPID_Kp", reg::NearZeroKp, &Held::nearZeroKp},
    {"XPID_Ki", reg::NearZeroKi, &Held::nearZeroKi},
}};

const std::array<XpidField, 4> LargeErrorFields{{
    {"XPID_Kp", reg::LargeErrorKp, &Held::largeErrorKp},
    {"XPID_Ki", reg::LargeErrorKi, &Held::largeErrorKi},
    {"XPID_Limit_A", reg::LargeErrorCurrent, nullptr},
    {"XPID_Limit_B", reg::LargeErrorPosition, nullptr},
}};

namespace {

void ReadSet(link::Port& port, view::DialogView& dialog, Held& held, const std::array<XpidField, 4>& fields) {
  for (const XpidField& f : fields) {
    const std::uint32_t word = params::ReadFloatIntoField(port, dialog, f.name, f.reg);
    if (f.held) held.*f.held = word;
  }
}

// The words OK has checked, in the fields' order.
void WriteSet(link::Port& port, Held& held, const std::array<XpidField, 4>& fields,
              const std::vector<std::uint32_t>& words) {
  params::WriteFieldWords(port, fields, words);
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].held) held.*fields[i].held = words[i];
}

}  // namespace

void NearZeroPidSetup(link::Port& port, view::DialogView& dialog, Held& held, bool heldFlagsRead) {
  ReadSet(port, dialog, held, NearZeroFields);
  if (!heldFlagsRead) {
    held.xpidRampOnly = params::ConfigWord::Decode(params::ReadParameterWord(port, reg::Configuration)).xpidRampOnly;
  }
  dialog.setChecked(RampOnlyBox, held.xpidRampOnly);

  const auto words = params::RunFloatFieldDialog(dialog, NearZeroFields);
  if (!words) return;

  link::ChangeLogScope logged("PID");
  WriteSet(port, held, NearZeroFields, *words);
  held.xpidRampOnly = dialog.isChecked(RampOnlyBox);
  link::SendCommand(port, params::cmd::XpidRampOnly, params::YesNoToWord(held.xpidRampOnly));
}

void LargeErrorPidSetup(link::Port& port, view::DialogView& dialog, Held& held) {
  ReadSet(port, dialog, held, LargeErrorFields);
  const auto words = params::RunFloatFieldDialog(dialog, LargeErrorFields);
  if (!words) return;
  link::ChangeLogScope logged("PID");
  WriteSet(port, held, LargeErrorFields, *words);
}

std::optional<LvdtSetupAction> LvdtSetupActionFor(const LvdtSetupPress& press) {
  switch (press.button) {
    case PressedButton::Right:
    case PressedButton::Middle: return LvdtSetupAction::NearZeroPid;
    case PressedButton::Left:
      if (press.ctrl && !press.shift && !press.alt && !press.otherButtonsHeld) return LvdtSetupAction::Calibration;
      return LvdtSetupAction::LinearisationTable;
    case PressedButton::Other: break;
  }
  return std::nullopt;
}

}  // namespace tvx::service
