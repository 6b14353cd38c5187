#include "app/definitions.h"

namespace tvx::app {

int AccessLevel = 0;
std::string AccessLevelName;
bool DetailMode = false;
bool FirstReadPending = true;
std::string FirmwareText;

void ResetMainWindowFlags() {
  FirstReadPending = true;
  FirmwareText.clear();
}

}  // namespace tvx::app
