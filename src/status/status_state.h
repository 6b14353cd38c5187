// What the status refresh keeps between refreshes. User-interface thread only.
#pragma once

#include <array>
#include <cstdint>

namespace tvx::status {

// True while a status refresh runs.
extern bool RefreshBusy;
// The stop code shown last; -1 means no stop.
extern std::int32_t LastStopCode;
// The valve's longest control-cycle time in microseconds (state register 5).
extern std::uint32_t DiagnosticMax;
// Error codes reported by the valve, in the order read; the first 0 ends the list.
extern std::array<std::uint8_t, 256> ErrorHistory;
// Temperature at or above which the status display shows it in red; 999 at
// the start of every status refresh, parameter register 115 when enabled.
extern std::int32_t TemperatureLimit;

}  // namespace tvx::status
