// COM port names.
//
// Windows opens "\\.\COMn". On Linux, "COMn" resolves through a port-map
// folder, as Wine's dosdevices does: an entry "comN" (a symbolic link to a tty)
// wins; without one, COMn is /dev/ttyACM(n-1), where the valve's USB device
// appears. The folder is $TARVELMUNDIX_PORTS, else the user's configuration
// directory (tarvelmundix/ports under $XDG_CONFIG_HOME or ~/.config).
#pragma once

#include <string>

namespace tvx::platform {

inline constexpr const char* PortMapEnvironmentVariable = "TARVELMUNDIX_PORTS";
inline constexpr const char* PortNameFile = "PortName";

std::string PortMapFolder();

// The device to open for COMn (n may be 0 or out of range: the name then
// refers to no device and opening it fails).
std::string ComDeviceName(int n);

// Whether the system has a COMn device: Windows names it (in its DOS device
// table); on Linux, the device COMn resolves to exists.
bool ComPortPresent(int n);

// The Linux resolution of COMn against a given port-map folder.
std::string ResolveComName(int n, const std::string& folder);

}  // namespace tvx::platform
