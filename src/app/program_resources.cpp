#include "app/program_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitTarvelmundixResources() { Q_INIT_RESOURCE(tarvelmundix); }

namespace tvx::app {

void InitProgramResources() {
  static bool done = false;
  if (done) return;
  done = true;
  InitTarvelmundixResources();
}

}  // namespace tvx::app
