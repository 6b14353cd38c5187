// What the program knows about one connected valve between exchanges: the
// parameter-set values without a field, the active profile and the two
// hardware flags. One per valve session (the window's, each command's of the
// command-line tool, each test's); used by the thread that exchanges with it.
#pragma once

#include "params/held_parameters.h"

#include <cstdint>

namespace tvx::params {

struct ValveState {
  // The parameter-set values without a field on the main window (error mask,
  // trace interval, near-zero and large-error PID values, the flags of the
  // ramp, the linearisation tables and the near-zero PID), kept from a read
  // to the next send; the service dialogs change them here.
  HeldParameters Held;
  // The held error mask is the valve's: a parameter read or the error
  // settings dialog read it since the port was last opened or closed.
  bool ErrorMaskKnown = false;
  // The held flags are the valve's: a parameter read has taken them from the
  // configuration word since the port was opened.
  bool HeldFlagsRead = false;
  // The active profile (1-based) as the last parameter read or the profiles
  // dialog found it; 0 before.
  std::int64_t CurrentProfile = 0;
  // State register 39 holds MarkerTrue: a hardware variant flag.
  bool BoardVariant = false;
  // State register 42 holds MarkerTrue: the valve has the second input "We2".
  bool In2Present = false;
};

}  // namespace tvx::params
