// What the status refresh keeps about one valve between refreshes. One per
// valve session; used by the thread that exchanges with the valve.
#pragma once

#include <array>
#include <cstdint>

namespace tvx::status {

struct StatusState {
  // True while a status refresh runs.
  bool RefreshBusy = false;
  // The stop code shown last; -1 means no stop.
  std::int32_t LastStopCode = -1;
  // The valve's longest control-cycle time in microseconds (state register 5).
  std::uint32_t DiagnosticMax = 0;
  // Error codes reported by the valve, in the order read; the first 0 ends the list.
  std::array<std::uint8_t, 256> ErrorHistory{};
  // Temperature at or above which the status display shows it in red; 999 at
  // the start of every status refresh, parameter register 115 when enabled.
  std::int32_t TemperatureLimit = 999;
};

}  // namespace tvx::status
