// The status refresh and the actions around it: the reads of one refresh in
// their fixed order with their texts pushed to a component sink as they come,
// the stop labels, the resets of the valve's memories and the stop clear. No
// widget here; the window's handlers guard, call these and re-enable.
#pragma once

#include "link/port.h"
#include "params/valve_state.h"
#include "status/status_state.h"
#include "view/component_sink.h"

#include <cstdint>

namespace tvx::status {

// The valve modes the texts depend on (the window's mode labels).
struct RefreshModes {
  bool lvdt = false;
  bool voltageInput = false;
};

// One status refresh: the valve's hardware flags choose texts, what is kept
// between refreshes goes to `status`. A failed exchange ends it: the values
// read so far stay shown.
void StatusRefresh(link::Port& port, const params::ValveState& valve, StatusState& status, view::ComponentSink& view,
                   const RefreshModes& modes);

// The port is gone: every live value shown turns to "---", so that nobody
// reads old values as live. The next refresh shows values again.
void ShowStatusUnknown(view::ComponentSink& view);

// The stop labels for the stop code of state register 11 (NoStop hides them);
// for a stop, the critical value of state register 26 is read and shown. The
// code is kept in the status's LastStopCode.
void ShowStop(link::Port& port, const params::ValveState& valve, StatusState& status, view::ComponentSink& view,
              std::uint32_t code);

// A click on the stop text: command 9 clears a SOFT stop (the last code shown)
// where the valve allows it.
void ClearSoftStop(link::Port& port, const StatusState& status);

// Resets of the valve's memories, each followed by the pause that lets the
// valve settle before the refresh that shows its effect. The peak label shows
// its reset text at once.
void ResetTemperatureMax(link::Port& port);
void ResetUsupplyMax(link::Port& port);
void ResetPeak(link::Port& port, view::ComponentSink& view, char coil);

// A click on the firmware label: command 25.
void SendFirmwareLabelCommand(link::Port& port);

}  // namespace tvx::status
