// Program-wide state shared by the main window and the modules behind it.
//
// What belongs to the user and the run, not to the valve: what the sequences
// keep about the valve is the window's valve session (session/valve_session.h).
// Everything here runs on the user-interface thread.
#pragma once

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

// Resets the flags the main window sets when it is created.
void ResetMainWindowFlags();

}  // namespace tvx::app
