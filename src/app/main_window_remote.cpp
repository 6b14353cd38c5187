// TPgm: the remote-control switch and the set-value bar, the switch check boxes
// of the service tabs (DAC override, breakpoint marker, service mode) and the
// opening of the options dialog.
#include "app/definitions.h"
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "remote/switches.h"
#include "service/options_form.h"
#include "ui/number_fields.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>

#include <stdexcept>

namespace tvx::app {

void TPgm::RemoteControlClick() {
  const bool on = RemoteControl->isChecked();
  SendSetValue->setEnabled(on);
  AutoMode->setEnabled(on && VoltageInput() && AccessLevel > 1);
  MainWindowView view(*this);
  remote::SwitchRemoteControl(port_, view, on);
}

void TPgm::Set_BarChange() {
  Set_Val->setText(FixedText(Set_Bar->value() / 10.0, 3));
  if (ManualControl->isEnabled()) ManualControl->setFocus();
}

void TPgm::EnableDAC_OverrideClick() {
  const bool on = EnableDAC_Override->isChecked();
  Send_DAC->setEnabled(on);
  remote::SwitchDacOverride(port_, on);
}

void TPgm::EnableBreakpointClick() { remote::SwitchBreakpoint(port_, EnableBreakpoint->isChecked()); }

void TPgm::ServiceModeClick() { remote::SwitchServiceMode(port_, ServiceMode->isChecked()); }

void TPgm::ServiceOptionsClick() {
  if (Exchanging()) return;
  service::TOptionsForm* options = service::OptionsForm;
  if (!options) throw std::logic_error("The options dialog does not exist");
  connect(options, &service::TOptionsForm::DitherPwmRequested, this, &TPgm::SetDitherPwm, Qt::UniqueConnection);
  if (options->exec() == QDialog::Accepted) options->SendSettings();
}

}  // namespace tvx::app
