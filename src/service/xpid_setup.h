// The two sets of alternative PID constants: near the LVDT zero position
// (registers 101 to 104, with the ramp-only switch: bit 20 of the
// configuration word, command 15) and for a large regulation error (registers
// 111 to 114). One dialog edits both; the program keeps copies of the four
// constants in the held parameters.
#pragma once

#include "link/port.h"
#include "params/held_parameters.h"
#include "view/dialog_view.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tvx::service {

struct XpidField {
  std::string_view name;
  int reg;
  // The held copy of a constant, or nullptr for a threshold.
  std::uint32_t params::HeldParameters::*held;
};

// The fields of each set in the order their registers are read and written.
extern const std::array<XpidField, 4> NearZeroFields;
extern const std::array<XpidField, 4> LargeErrorFields;

inline constexpr std::string_view RampOnlyBox = "XPID_Ramp_Only";

// The near-zero set: reads 101 to 104 and the ramp-only flag (from register 1
// when the held flags were not read since the port was opened), shows the
// dialog; OK writes 101 to 104, takes the flag from its check box and sends
// command 15. Cancel writes nothing and leaves the flag alone. In both sets OK
// closes the dialog only when all four fields convert.
void NearZeroPidSetup(link::Port& port, view::DialogView& dialog, params::HeldParameters& held, bool heldFlagsRead);

// The large-error set: reads 111 to 114, shows the dialog; OK writes them.
void LargeErrorPidSetup(link::Port& port, view::DialogView& dialog, params::HeldParameters& held);

// What a mouse press on LVDT_Setup opens.
enum class LvdtSetupAction { LinearisationTable, NearZeroPid, Calibration };
enum class PressedButton { Left, Right, Middle, Other };

struct LvdtSetupPress {
  PressedButton button = PressedButton::Left;
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  bool otherButtonsHeld = false;  // a mouse button besides the pressed one
};

// Right or middle button: the near-zero PID; left with exactly Ctrl held: the
// LVDT calibration; left otherwise: the LVDT linearisation table. Nothing for
// another button.
std::optional<LvdtSetupAction> LvdtSetupActionFor(const LvdtSetupPress& press);

}  // namespace tvx::service
