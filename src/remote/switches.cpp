#include "remote/switches.h"

#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/register_map.h"

namespace tvx::remote {

void SwitchRemoteControl(link::Port& port, view::ComponentSink& view, bool on) {
  params::MaskFloatingPointExceptions();
  link::SendCommand(port, params::cmd::RemoteControl, params::YesNoToWord(on));
  view.setSetValue(link::ReadRegisterFloat(port, params::state::SetValue));
}

void SwitchDacOverride(link::Port& port, bool on) {
  link::SendCommand(port, params::cmd::DacOverride, params::YesNoToWord(on));
}

void SwitchBreakpoint(link::Port& port, bool on) {
  link::SendCommand(port, params::cmd::Breakpoint, params::YesNoToWord(on));
}

void SwitchServiceMode(link::Port& port, bool on) {
  link::SendCommand(port, params::cmd::ServiceMode, params::YesNoToWord(on));
}

}  // namespace tvx::remote
