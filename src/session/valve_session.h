// One valve as the program keeps it while it talks to it: the link (the port,
// its reply buffer and what one exchange at a time needs) and what the
// sequences learn about the valve between exchanges. The window owns one, the
// command-line tool one per command and valve, each test its own. The
// sequences take only the members they use, so that their signatures show them.
#pragma once

#include "link/port.h"
#include "params/valve_state.h"
#include "remote/live_outputs.h"
#include "status/status_state.h"

namespace tvx::session {

struct ValveSession {
  link::Port port;
  params::ValveState valve;
  status::StatusState status;
  // The valve's outputs known to be on (fed by the port's exchanges where
  // watched), for the questions before they are left on.
  remote::LiveOutputs outputs;
};

}  // namespace tvx::session
