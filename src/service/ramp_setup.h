// The ramp parameters: the rise and fall times of both solenoids (parameter
// registers 70 to 73) and the ramp switch (bit 10 of the configuration word,
// switch command 12).
#pragma once

#include "link/port.h"
#include "params/held_parameters.h"
#include "view/dialog_view.h"

#include <array>
#include <string_view>

namespace tvx::service {

struct RampField {
  std::string_view name;
  int reg;
};

// The four time fields in the order they are read and written.
extern const std::array<RampField, 4> RampFields;

inline constexpr std::string_view RampEnableBox = "RampEnable";

// Reads the four times into the dialog, sets its check box from the held ramp
// flag and shows it. On OK writes the four fields (unchanged ones as the words
// read), takes the flag from the check box and switches the valve's ramp with
// command 12; on cancel writes nothing. OK closes the dialog only when all
// four fields convert.
//
// `heldFlagsRead` tells whether the held flags come from a parameter read since
// the port was opened; without one the flag is taken from register 1 first, so
// that OK never switches off a ramp the user did not touch.
void RampSetup(link::Port& port, view::DialogView& dialog, params::HeldParameters& held, bool heldFlagsRead);

}  // namespace tvx::service
