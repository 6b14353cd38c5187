// Program-wide state shared by the main window and the modules behind it.
//
// There is one valve and one link per run, so this is plain global state owned
// by the main window's module. Everything here runs on the user-interface
// thread; the link's own shared state (PortOpen, PortLock, ...) is in link/port.h.
#pragma once

#include "params/held_parameters.h"

#include <array>
#include <cstdint>
#include <string>

namespace tvx::app {

// The user's level for the whole run (0 to 4), set by the login dialog.
extern int AccessLevel;
// The name of that level, shown in the hint of the About picture.
extern std::string AccessLevelName;
// Toggled by F10; shown as "+ " in the software label.
extern bool DetailMode;
// The first parameter read after start ends with one status refresh.
extern bool FirstReadPending;
// True while a status refresh runs.
extern bool RefreshBusy;
// The stop code shown last; -1 means no stop.
extern std::int32_t LastStopCode;
// The firmware-version text last built from state register 30.
extern std::string FirmwareText;
// State register 39 holds MarkerTrue: a hardware variant flag.
extern bool BoardVariant;
// State register 42 holds MarkerTrue: the valve has the second input "We2".
extern bool In2Present;
// The valve's longest control-cycle time in microseconds (state register 5).
extern std::uint32_t DiagnosticMax;
// Error codes reported by the valve, in the order read; the first 0 ends the list.
extern std::array<std::uint8_t, 256> ErrorHistory;

// ---- parameter set
// The parameter-set values without a field on the main window (error mask,
// trace interval, near-zero and large-error PID values, the flags of the ramp,
// the linearisation tables and the near-zero PID), kept from a read to the
// next send; the service dialogs change them here.
extern params::HeldParameters Held;
// The active profile (1-based) as the last parameter read found it; 0 before.
extern int CurrentProfile;

// ---- status
// Temperature at or above which the status display shows it in red; 999 at
// the start of every status refresh, parameter register 115 when enabled.
extern std::int32_t TemperatureLimit;

// Resets the flags the main window sets when it is created.
void ResetMainWindowFlags();

}  // namespace tvx::app
