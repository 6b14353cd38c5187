#include "app/definitions.h"

namespace tvx::app {

int AccessLevel = 0;
std::string AccessLevelName;
bool DetailMode = false;
bool FirstReadPending = true;
bool RefreshBusy = false;
std::int32_t LastStopCode = -1;
std::string FirmwareText;
bool BoardVariant = false;
bool In2Present = false;
std::uint32_t DiagnosticMax = 0;
std::array<std::uint8_t, 256> ErrorHistory{};
std::int32_t TemperatureLimit = 999;

params::HeldParameters Held;
int CurrentProfile = 0;

void ResetMainWindowFlags() {
  RefreshBusy = false;
  FirstReadPending = true;
  LastStopCode = -1;
  FirmwareText.clear();
}

}  // namespace tvx::app
