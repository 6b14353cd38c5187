// The window program's side of the link: how PumpWait waits in the event
// loop and how the link's errors and warnings reach the user.
#pragma once

#include "link/port.h"

#include <QString>

namespace tvx::app {

// Connects the link to the user interface: the pump hook of PumpWait processes
// pending events and sleeps in the event loop for the time PumpWait allows, and
// the link's error reports become error message boxes.
void InstallLinkHooks();

// The window's port wakes the event loop after each exchange: Qt looks at the
// window system's queue only when its event loop has been woken since it last
// did, so input held back during the exchange would wait for the next event.
void WakeEventLoopAfterExchanges(link::Port& port);

// A warning box shown once the event loop is back and no exchange waits (the
// valve history's: it never gets in the way of the operation that caused it).
void ShowDeferredWarning(const QString& text, const QString& caption);

}  // namespace tvx::app
