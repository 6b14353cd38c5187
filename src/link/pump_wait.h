// PumpWait: the waiting primitive of every exchange. A busy wait on the
// performance counter that keeps processing user-interface messages through a
// registered pump hook (the program installs QCoreApplication::processEvents);
// it never sleeps, so clicks and timer ticks run while an exchange waits.
#pragma once

#include <functional>

namespace tvx::link {

void SetPumpHook(std::function<void()> hook);
// Processes pending messages once (no-op without a hook).
void PumpMessages();
void PumpWait(unsigned milliseconds);

}  // namespace tvx::link
