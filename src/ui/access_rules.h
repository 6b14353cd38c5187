// Access tags: which controls a user sees and may operate.
//
// Every managed control carries a 16-bit tag. Bits 0 to 5 name the conditions
// its visibility and use depend on, bits 8 to 11 the lowest access level at
// which it is shown, bits 12 to 15 the lowest level at which it can be used.
// Bit 6 is not an access bit: the three configuration labels of the main window
// keep their own state there. The whole value 0x0080 marks a control that the
// access logic leaves alone. No Qt in here: the decision is plain logic.
#pragma once

#include <cstdint>
#include <string_view>

namespace tvx::access {

// The flag names are the access table's own.
inline constexpr std::uint16_t COIL_B_TAG_VIS = 0x0001;   // shown only with two solenoids
inline constexpr std::uint16_t COIL_B_TAG_ENB = 0x0002;   // usable only with two solenoids
inline constexpr std::uint16_t USB_ENABLED = 0x0004;      // usable only while the port is open
inline constexpr std::uint16_t LVDT_TAG_ENB = 0x0008;     // usable only with the LVDT sensor
inline constexpr std::uint16_t NO_LVDT_TAG_ENB = 0x0010;  // usable only without the LVDT sensor
inline constexpr std::uint16_t REMOTE_TAG_ENB = 0x0020;   // usable only while remote control is on
inline constexpr std::uint16_t ModeStateBit = 0x0040;     // a configuration label's own state
inline constexpr std::uint16_t TAG_UNMANAGED = 0x0080;    // left alone by the access logic

// The states the conditions read.
struct States {
  int accessLevel = 0;
  bool portOpen = false;
  bool twoSolenoids = false;
  bool lvdt = false;
  bool remoteControl = false;
};

constexpr int DisplayLevel(std::uint16_t tag) { return (tag >> 8) & 0x0F; }
constexpr int UseLevel(std::uint16_t tag) { return (tag >> 12) & 0x0F; }
constexpr bool IsManaged(std::uint16_t tag) { return tag != TAG_UNMANAGED; }

bool IsShown(std::uint16_t tag, const States& states);
bool IsUsable(std::uint16_t tag, const States& states);

// What the apply step does with a component of a given (Delphi-style) class.
enum class ApplyKind {
  Control,    // visibility, then usability
  MenuItem,   // visibility and enabled state
  Untouched,  // pictures, tab pages, memos, timers, dialogs, pop-up menus
};

ApplyKind KindOfClass(std::string_view className);

}  // namespace tvx::access
