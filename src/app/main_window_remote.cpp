// TPgm: the remote-control switch and the set-value bar, the switch check boxes
// of the service tabs (DAC override, breakpoint marker, service mode) and the
// opening of the options dialog.
#include "app/definitions.h"
#include "app/main_window.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/register_map.h"
#include "service/options_form.h"
#include "ui/number_fields.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>

#include <cfenv>
#include <stdexcept>

namespace tvx::app {

void TPgm::RemoteControlClick() {
  // Values read from the valve may be any bit pattern (see the parameter read).
  std::fenv_t environment;
  std::feholdexcept(&environment);

  const bool on = RemoteControl->isChecked();
  SendSetValue->setEnabled(on);
  AutoMode->setEnabled(on && VoltageInput() && AccessLevel > 1);
  link::SendCommand(params::cmd::RemoteControl, params::YesNoToWord(on));

  // Adopt the set value the valve uses now.
  const float value = link::ReadRegisterFloat(params::state::SetValue);
  try {
    Set_Bar->setValue(params::SetBarPosition(value));
    Set_Val->setText(ui::FixedText(value, 3));
  } catch (const std::exception&) {
    Set_Bar->setValue(0);
  }
}

void TPgm::Set_BarChange() {
  Set_Val->setText(ui::FixedText(Set_Bar->value() / 10.0, 3));
  if (ManualControl->isEnabled()) ManualControl->setFocus();
}

void TPgm::EnableDAC_OverrideClick() {
  const bool on = EnableDAC_Override->isChecked();
  Send_DAC->setEnabled(on);
  link::SendCommand(params::cmd::DacOverride, params::YesNoToWord(on));
}

void TPgm::EnableBreakpointClick() {
  link::SendCommand(params::cmd::Breakpoint, params::YesNoToWord(EnableBreakpoint->isChecked()));
}

void TPgm::ServiceModeClick() {
  link::SendCommand(params::cmd::ServiceMode, params::YesNoToWord(ServiceMode->isChecked()));
}

void TPgm::ServiceOptionsClick() {
  service::TOptionsForm* options = service::OptionsForm;
  if (!options) throw std::logic_error("The options dialog does not exist");
  connect(options, &service::TOptionsForm::DitherPwmRequested, this, &TPgm::SetDitherPwm, Qt::UniqueConnection);
  if (options->exec() == QDialog::Accepted) options->SendSettings();
}

}  // namespace tvx::app
