// Which COM port belongs to the valve's USB device (vendor 0000, product 0400).
//
// Windows keeps the answer in the registry value "PortName" of the device's
// one fixed instance. On Linux the same question is answered from sysfs (the
// device's tty, mapped back to its COM name through the port-map folder) or,
// failing that, from a simulator's announcement: the file "PortName" in the
// port-map folder.
#pragma once

#include <optional>
#include <string>

namespace tvx::platform {

inline constexpr const char* ValveUsbVendor = "0000";
inline constexpr const char* ValveUsbProduct = "0400";
inline constexpr const char* ValveRegistryKey =
    R"(SYSTEM\ControlSet001\ENUM\USB\VID_0000&PID_0400\0x00000004\Device Parameters)";
inline constexpr const char* SysfsRootEnvironmentVariable = "TARVELMUNDIX_SYSFS";

// The valve's COM name (e.g. "COM3"), or nothing when no valve is known.
std::optional<std::string> ValvePortName();

// Linux pieces, exposed for tests.
// The name of the first tty (sorted by name) under <sysfsRoot>/class/tty whose
// USB device has the given vendor and product, e.g. "ttyACM0".
std::optional<std::string> FindUsbTty(const std::string& sysfsRoot, const std::string& vendor,
                                      const std::string& product);
// The COM name (COM1 to COM16) whose port-map resolution is the given device.
std::optional<std::string> ComNameForDevice(const std::string& devicePath, const std::string& folder);
// The COM name a simulator announced in the folder, trailing white space removed.
std::optional<std::string> AnnouncedPortName(const std::string& folder);

}  // namespace tvx::platform
