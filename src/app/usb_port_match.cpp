#include "app/usb_port_match.h"

namespace tvx::app {

bool IsUsbPort(const std::string& entry, const std::optional<std::string>& valvePortName) {
  return valvePortName.has_value() && *valvePortName == entry;
}

int FindUsbPortEntry(const std::vector<std::string>& entries, const std::optional<std::string>& valvePortName) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (IsUsbPort(entries[i], valvePortName)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tvx::app
