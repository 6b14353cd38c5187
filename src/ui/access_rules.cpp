#include "ui/access_rules.h"

#include <array>

namespace tvx::access {

bool IsShown(std::uint16_t tag, const States& states) {
  if (states.accessLevel < DisplayLevel(tag)) return false;
  if ((tag & CoilBTagVis) && !states.twoSolenoids) return false;
  return true;
}

bool IsUsable(std::uint16_t tag, const States& states) {
  if (states.accessLevel < UseLevel(tag)) return false;
  if ((tag & CoilBTagEnb) && !states.twoSolenoids) return false;
  if ((tag & UsbEnabled) && !states.portOpen) return false;
  if ((tag & LvdtTagEnb) && !states.lvdt) return false;
  if ((tag & NoLvdtTagEnb) && states.lvdt) return false;
  if ((tag & RemoteTagEnb) && !states.remoteControl) return false;
  return true;
}

ApplyKind KindOfClass(std::string_view className) {
  static constexpr std::array<std::string_view, 14> controls = {
      "TButton", "TBitBtn",    "TSpeedButton", "TCheckBox",     "TComboBox",
      "TEdit",   "TGroupBox",  "TLabel",       "TPageControl",  "TPanel",
      "TProgressBar", "TRadioButton", "TShape", "TTrackBar"};
  for (std::string_view c : controls) {
    if (c == className) return ApplyKind::Control;
  }
  if (className == "TMenuItem") return ApplyKind::MenuItem;
  return ApplyKind::Untouched;
}

}  // namespace tvx::access
