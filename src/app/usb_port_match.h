// Preselecting the valve's COM port in the port list.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tvx::app {

// The answer of the registry check for one list entry: the valve's port name
// equals the entry text exactly (case and length). No name matches nothing.
bool IsUsbPort(const std::string& entry, const std::optional<std::string>& valvePortName);

// Index of the first entry that matches, or -1.
int FindUsbPortEntry(const std::vector<std::string>& entries, const std::optional<std::string>& valvePortName);

inline constexpr const char* UsbEntrySuffix = " USB";

}  // namespace tvx::app
