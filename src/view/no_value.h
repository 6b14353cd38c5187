// What a field or label shows where it has no value: before the valve's value
// was read, after the port is gone, for a sensor the valve does not have.
#pragma once

namespace tvx::view {

inline constexpr const char* NoValueText = "---";

}  // namespace tvx::view
