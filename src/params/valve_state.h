// What the program knows about the connected valve between exchanges: the
// parameter-set values without a field, the active profile and the two
// hardware flags. One valve per run, user-interface thread only.
#pragma once

#include "params/held_parameters.h"

#include <cstdint>

namespace tvx::params {

// The parameter-set values without a field on the main window (error mask,
// trace interval, near-zero and large-error PID values, the flags of the ramp,
// the linearisation tables and the near-zero PID), kept from a read to the
// next send; the service dialogs change them here.
extern HeldParameters Held;
// The held error mask is the valve's: a parameter read or the error settings
// dialog read it since the port was last opened or closed.
extern bool ErrorMaskKnown;
// The held flags are the valve's: a parameter read has taken them from the
// configuration word since the port was opened.
extern bool HeldFlagsRead;
// The active profile (1-based) as the last parameter read or the profiles
// dialog found it; 0 before.
extern std::int64_t CurrentProfile;
// State register 39 holds MarkerTrue: a hardware variant flag.
extern bool BoardVariant;
// State register 42 holds MarkerTrue: the valve has the second input "We2".
extern bool In2Present;

}  // namespace tvx::params
