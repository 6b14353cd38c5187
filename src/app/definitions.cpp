#include "app/definitions.h"

namespace tvx::app {

int AccessLevel = 0;
std::string AccessLevelName;
bool DetailMode = false;
bool FirstReadPending = true;
std::string FirmwareText;

void ResetMainWindowFlags() {
  RefreshBusy = false;
  FirstReadPending = true;
  LastStopCode = -1;
  FirmwareText.clear();
}

}  // namespace tvx::app
