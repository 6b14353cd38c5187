// The valve's switch commands from the main window: remote control (which
// also adopts the set value the valve uses), the DAC override, the breakpoint
// marker and the service mode. No widget here.
#pragma once

#include "link/port.h"
#include "view/component_sink.h"

namespace tvx::remote {

// Command 1, then the set value the valve uses now (state register 2) onto
// the set-value bar. A failed read ends the action after the switch.
void SwitchRemoteControl(link::Port& port, view::ComponentSink& view, bool on);
void SwitchDacOverride(link::Port& port, bool on);  // command 5
void SwitchBreakpoint(link::Port& port, bool on);   // command 6
void SwitchServiceMode(link::Port& port, bool on);  // command 110

}  // namespace tvx::remote
