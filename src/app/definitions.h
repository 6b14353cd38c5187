// Program-wide state shared by the main window and the modules behind it.
//
// There is one valve and one link per run, so this is plain global state owned
// by the main window's module; what the sequences below keep lives in their
// subsystems (params/valve_state.h, status/status_state.h). Everything here
// runs on the user-interface thread; the link's own shared state (PortOpen,
// PortLock, ...) is in link/port.h.
#pragma once

#include "params/valve_state.h"
#include "status/status_state.h"

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
// The firmware-version text last built from state register 30.
extern std::string FirmwareText;

// What the sequences keep about the valve, under the names the windows use.
using params::BoardVariant;
using params::CurrentProfile;
using params::Held;
using params::In2Present;
using status::DiagnosticMax;
using status::ErrorHistory;
using status::LastStopCode;
using status::RefreshBusy;
using status::TemperatureLimit;

// Resets the flags the main window sets when it is created.
void ResetMainWindowFlags();

}  // namespace tvx::app
