#include "status/status_state.h"

namespace tvx::status {

bool RefreshBusy = false;
std::int32_t LastStopCode = -1;
std::uint32_t DiagnosticMax = 0;
std::array<std::uint8_t, 256> ErrorHistory{};
std::int32_t TemperatureLimit = 999;

}  // namespace tvx::status
