#include "ui/access_rules.h"

#include <array>

namespace tvx::access {

bool IsShown(std::uint16_t tag, const States& states) {
  if (states.accessLevel < DisplayLevel(tag)) return false;
  if ((tag & COIL_B_TAG_VIS) && !states.twoSolenoids) return false;
  return true;
}

bool IsUsable(std::uint16_t tag, const States& states) {
  if (states.accessLevel < UseLevel(tag)) return false;
  if ((tag & COIL_B_TAG_ENB) && !states.twoSolenoids) return false;
  if ((tag & USB_ENABLED) && !states.portOpen) return false;
  if ((tag & LVDT_TAG_ENB) && !states.lvdt) return false;
  if ((tag & NO_LVDT_TAG_ENB) && states.lvdt) return false;
  if ((tag & REMOTE_TAG_ENB) && !states.remoteControl) return false;
  return true;
}

ApplyKind KindOfClass(std::string_view className) {
  static constexpr std::array<std::string_view, 14> controls = {
      "TButton", "TBitBtn",      "TSpeedButton", "TCheckBox",    "TComboBox",    "TEdit",  "TGroupBox",
      "TLabel",  "TPageControl", "TPanel",       "TProgressBar", "TRadioButton", "TShape", "TTrackBar"};
  for (std::string_view c : controls) {
    if (c == className) return ApplyKind::Control;
  }
  if (className == "TMenuItem") return ApplyKind::MenuItem;
  return ApplyKind::Untouched;
}

}  // namespace tvx::access
