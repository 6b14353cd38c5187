// TPgm: the handlers of the parameter set (read, send, store, reset), the
// switches the sequences set through the window, and the set-value bar.
#include "app/definitions.h"
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "link/exchanges.h"
#include "params/derived.h"
#include "params/parameter_set.h"
#include "ui/application.h"
#include "ui/number_fields.h"
#include "ui/prompts.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <exception>
#include <stdexcept>

namespace tvx::app {

void TPgm::ConnectParameterHandlers() {
  using ui::Guarded;
  connect(SendParameters, &QPushButton::clicked, this, Guarded([this] { SendWriteParamsClick(SendParameters); }));
  connect(WriteParameters, &QPushButton::clicked, this, Guarded([this] { SendWriteParamsClick(WriteParameters); }));
  connect(Reset, &QPushButton::clicked, this, Guarded(this, &TPgm::ResetClick));

  // Modes and the checks of the parameter fields (main_window_modes.cpp).
  connect(Positions_3, &ui::Label::clicked, this, Guarded([this] { Positions_3Click(Positions_3); }));
  connect(Voltage_Mode, &ui::Label::clicked, this, Guarded([this] { Voltage_ModeClick(Voltage_Mode); }));
  connect(LVDT_Mode, &ui::Label::clicked, this, Guarded([this] { LVDTClick(LVDT_Mode); }));
  connect(Device_Type, &ui::Label::clicked, this, Guarded([this] { Positions_3Click(Device_Type); }));
  connect(LVDT_CrossWire, &QCheckBox::toggled, this, Guarded(this, &TPgm::LVDT_CrossWireClick));
  for (ui::ValveField* field : {Coil_A_Imin, Coil_A_Imax, Coil_B_Imin, Coil_B_Imax})
    connect(field, &QLineEdit::textChanged, this, Guarded([this, field] { Coil_I_Change(field); }));
  for (QPushButton* button : {Coil_A_Gain, Coil_B_Gain})
    connect(button, &QPushButton::clicked, this, Guarded([this, button] { Coil_GainClick(button); }));
  connect(I_Limit, &QLineEdit::textChanged, this, Guarded([this] { I_LimitChange(I_Limit); }));
  connect(DAC_Imax, &QLineEdit::textChanged, this, Guarded([this] { DAC_ImaxChange(DAC_Imax); }));
  connect(PWM, &QLineEdit::textChanged, this, Guarded(this, &TPgm::PWMChange));

  // Remote control, the set-value bar and the switch check boxes
  // (main_window_remote.cpp).
  connect(RemoteControl, &QCheckBox::toggled, this, Guarded(this, &TPgm::RemoteControlClick));
  connect(Set_Bar, &QSlider::valueChanged, this, Guarded(this, &TPgm::Set_BarChange));
  connect(EnableDAC_Override, &QCheckBox::toggled, this, Guarded(this, &TPgm::EnableDAC_OverrideClick));
  connect(EnableBreakpoint, &QCheckBox::toggled, this, Guarded(this, &TPgm::EnableBreakpointClick));
  connect(ServiceMode, &QCheckBox::toggled, this, Guarded(this, &TPgm::ServiceModeClick));
  connect(ServiceOptions, &QPushButton::clicked, this, Guarded(this, &TPgm::ServiceOptionsClick));
}

// ---- what the sequences set through the window ----------------------------------

void TPgm::SetCheckedAndReact(QCheckBox* box, bool checked, void (TPgm::*reaction)()) {
  if (box->isChecked() == checked) return;
  {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
  }
  (this->*reaction)();
}

void TPgm::SetChecked(const QString& name, bool checked) {
  // A mode label always redraws, the window being the sender.
  if (name == QLatin1String("Positions_3")) {
    SetThreePositions(checked);
    Positions_3Click(this);
    return;
  }
  if (name == QLatin1String("Voltage_Mode")) {
    SetVoltageInput(checked);
    Voltage_ModeClick(this);
    return;
  }
  if (name == QLatin1String("LVDT_Mode")) {
    SetLvdtFitted(checked);
    LVDTClick(this);
    return;
  }
  const std::pair<QCheckBox*, void (TPgm::*)()> boxes[] = {{LVDT_CrossWire, &TPgm::LVDT_CrossWireClick},
                                                           {RemoteControl, &TPgm::RemoteControlClick},
                                                           {EnableDAC_Override, &TPgm::EnableDAC_OverrideClick},
                                                           {EnableBreakpoint, &TPgm::EnableBreakpointClick},
                                                           {ServiceMode, &TPgm::ServiceModeClick}};
  for (const auto& [box, reaction] : boxes) {
    if (box->objectName() == name) {
      SetCheckedAndReact(box, checked, reaction);
      return;
    }
  }
  throw std::logic_error("No switch " + name.toStdString());
}

bool TPgm::IsChecked(const QString& name) const {
  if (name == QLatin1String("Positions_3")) return ThreePositions();
  if (name == QLatin1String("Voltage_Mode")) return VoltageInput();
  if (name == QLatin1String("LVDT_Mode")) return LvdtFitted();
  if (auto* box = qobject_cast<QCheckBox*>(components_.object(name))) return box->isChecked();
  throw std::logic_error("No switch " + name.toStdString());
}

// One function for the parameter read, the status refresh and the remote
// switch. They differ only when reading the value fails: the read then puts
// the bar at 0 and goes on, the other two end (see their sequences).
void TPgm::ShowSetValue(std::optional<float> value) {
  try {
    if (!value) throw std::invalid_argument("no set value");
    // Moving the bar runs its change reaction, which writes Set_Val too; the
    // exact value follows.
    Set_Bar->setValue(params::SetBarPosition(*value));
    Set_Val->setText(FixedText(*value, 3));
  } catch (const std::exception&) {
    Set_Bar->setValue(0);
  }
}

void TPgm::ShowDeviceType(const QString& text) {
  Device_Type->setText(text);
  QFont bold = font();
  bold.setBold(true);
  const int width = QFontMetrics(bold).horizontalAdvance(Device_Type->text());
  Device_Type->adjustSize();
  Device_Type->move(params::CentredLeft(DeviceType->width(), width), Device_Type->y());
}

// ---- handlers ----------------------------------------------------------------------

void TPgm::ReadParametersClick() {
  // The disabled button's focus would pass on to Reset.
  std::optional<HandlerTurn> turn = StartTurn({SendParameters, ReadParameters, WriteParameters, AutoMode, SendSetValue,
                                               ShowChart, Solenoid_A_GBox, Solenoid_B_GBox},
                                              HandlerTurn::Focus::Kept);
  if (!turn) return;

  std::exception_ptr failure;
  try {
    MainWindowView view(*this);
    params::ReadParameterSet(port_, session_.valve, view);
  } catch (...) {
    failure = std::current_exception();
  }

  // Always, also after a failed read.
  if (FirstReadPending) {
    FirstReadPending = false;
    // The first read of the run is followed by one status refresh. The
    // button's own handler reports a failure of the refresh, so the rest of
    // this step still runs.
    InfoRefresh->click();
  }
  FirstReadPending = false;
  turn->End();
  // These two only as the remote control and the input allow.
  AutoMode->setEnabled(RemoteControl->isChecked() && VoltageInput());
  SendSetValue->setEnabled(RemoteControl->isChecked());
  ApplyAccessRules();

  if (failure) std::rethrow_exception(failure);
}

void TPgm::SendWriteParamsClick(QObject* sender) {
  // The disabled button's focus would pass on to Reset.
  const std::optional<HandlerTurn> turn =
      StartTurn({SendParameters, ReadParameters, WriteParameters}, HandlerTurn::Focus::Kept);
  if (!turn) return;
  MainWindowView view(*this);
  if (params::SendParameterSet(port_, session_.valve, view, ui::CurrentPrompts(),
                               sender && sender->objectName() == QLatin1String("WriteParameters")))
    KeepSentTexts();
}

void TPgm::ResetClick() {
  if (Exchanging()) return;
  SetCheckedAndReact(RemoteControl, false, &TPgm::RemoteControlClick);
  SendSetValue->setEnabled(false);
  AutoMode->setEnabled(false);
  params::ResetValve(port_);
  DisConnect->click();
}

}  // namespace tvx::app
