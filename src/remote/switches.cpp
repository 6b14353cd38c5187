#include "remote/switches.h"

#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/register_map.h"

namespace tvx::remote {

void SwitchRemoteControl(view::ComponentSink& view, bool on) {
  params::MaskFloatingPointExceptions();
  link::SendCommand(params::cmd::RemoteControl, params::YesNoToWord(on));
  view.setSetValue(link::ReadRegisterFloat(params::state::SetValue));
}

void SwitchDacOverride(bool on) { link::SendCommand(params::cmd::DacOverride, params::YesNoToWord(on)); }

void SwitchBreakpoint(bool on) { link::SendCommand(params::cmd::Breakpoint, params::YesNoToWord(on)); }

void SwitchServiceMode(bool on) { link::SendCommand(params::cmd::ServiceMode, params::YesNoToWord(on)); }

}  // namespace tvx::remote
