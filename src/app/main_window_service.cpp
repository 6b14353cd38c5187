// TPgm: the openers of the service and remote dialogs, the service values'
// send buttons and the DAC output. Each handler only guards, stops the
// periodic refresh where the press has not already done so, delegates and
// re-enables; the sequences are in src/service and src/remote.
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "link/exchanges.h"
#include "params/valve_state.h"
#include "remote/auto_form.h"
#include "remote/manual_outputs.h"
#include "remote/set_pwm_form.h"
#include "service/calibrate_form.h"
#include "service/ramp_form.h"
#include "service/service_values.h"
#include "service/xpid_form.h"
#include "service/xpid_setup.h"
#include "ui/application.h"
#include "ui/mouse_hook.h"
#include "ui/valve_field.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPushButton>

namespace tvx::app {

namespace {

service::PressedButton ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return service::PressedButton::Left;
    case Qt::RightButton: return service::PressedButton::Right;
    case Qt::MiddleButton: return service::PressedButton::Middle;
    default: return service::PressedButton::Other;
  }
}

}  // namespace

void TPgm::ConnectServiceHandlers() {
  using ui::Guarded;
  connect(RampSetup, &QPushButton::clicked, this, Guarded(this, &TPgm::RampSetupClick));
  connect(Dynamic_PID, &QPushButton::clicked, this, Guarded(this, &TPgm::Dynamic_PIDClick));
  connect(PWM_Manual, &QPushButton::clicked, this, Guarded(this, &TPgm::PWM_ManualClick));
  connect(AutoMode, &QPushButton::clicked, this, Guarded(this, &TPgm::AutoModeClick));
  connect(Send_DAC, &QPushButton::clicked, this, Guarded(this, &TPgm::Send_DACClick));
  for (const service::ServiceValue& v : service::ServiceValues) {
    auto* button = qobject_cast<QPushButton*>(
        components().object(QString::fromLatin1(v.button.data(), static_cast<qsizetype>(v.button.size()))));
    if (button)
      connect(button, &QPushButton::clicked, this, Guarded([this, button] { SendServiceValueClick(button); }));
  }
  for (QAction* item : {Bottom, Zero, Top})
    connect(item, &QAction::triggered, this, Guarded([this, item] { DAC_CalClick(item); }));
  // Every mouse press on LVDT_Setup goes to its dispatch instead of the button.
  new ui::MouseHook(
      LVDT_Setup, {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick},
      [this](QMouseEvent* e) { LVDT_SetupMouseDown(e); }, ui::MouseHook::Then::Take);
}

void TPgm::RampSetupClick() {
  if (link::ExchangeInProgress()) return;
  StopAutoTimer();
  service::OpenRampDialog(port_, this, session_.valve.Held, session_.valve.HeldFlagsRead, ThreePositions());
}

void TPgm::Dynamic_PIDClick() {
  if (link::ExchangeInProgress()) return;
  StopAutoTimer();
  service::OpenLargeErrorPidDialog(port_, this, session_.valve.Held);
}

void TPgm::LVDT_SetupMouseDown(QMouseEvent* event) {
  if (link::ExchangeInProgress() || !LVDT_Setup->isEnabled()) return;
  StopAutoTimer();
  service::LvdtSetupPress press;
  press.button = ButtonOf(event->button());
  const Qt::KeyboardModifiers keys = event->modifiers();
  press.ctrl = keys.testFlag(Qt::ControlModifier);
  press.shift = keys.testFlag(Qt::ShiftModifier);
  press.alt = keys.testFlag(Qt::AltModifier);
  press.otherButtonsHeld = (event->buttons() & ~event->button()) != Qt::NoButton;
  const auto action = service::LvdtSetupActionFor(press);
  if (!action) return;

  // Guarded above: nothing has exchanged since.
  const HandlerTurn turn(this, {LVDT_Setup});
  switch (*action) {
    case service::LvdtSetupAction::NearZeroPid:
      service::OpenNearZeroPidDialog(port_, this, session_.valve.Held, session_.valve.HeldFlagsRead);
      break;
    case service::LvdtSetupAction::Calibration: service::OpenCalibrationDialog(port_, this); break;
    case service::LvdtSetupAction::LinearisationTable: LinTableClick(LVDT_Setup); break;
  }
}

void TPgm::PWM_ManualClick() {
  if (link::ExchangeInProgress()) return;
  StopAutoTimer();
  remote::OpenManualPwmDialog(port_, session_.outputs, this, ThreePositions());
}

void TPgm::AutoModeClick() {
  if (link::ExchangeInProgress()) return;
  StopAutoTimer();
  remote::OpenTestSignalDialog(port_, session_.outputs, this);
}

void TPgm::SendServiceValueClick(QObject* sender) {
  if (link::ExchangeInProgress()) return;
  const service::ServiceValue* value = service::ServiceValueOfButton(sender->objectName().toStdString());
  if (!value) return;
  service::SendServiceValue(port_, *value, MainWindowView(*this).fieldValue(value->field));
}

void TPgm::Send_DACClick() {
  if (link::ExchangeInProgress()) return;
  const std::uint32_t answer = remote::SendDacValue(port_, DAC_Value->text().toStdString());
  DAC_Value->setProgramText(QString::number(answer));
}

void TPgm::DAC_CalClick(QObject* sender) {
  const int value = remote::DacPointValue(sender->objectName().toStdString());
  if (value >= 0) DAC_Value->setProgramText(QString::number(value));
}

}  // namespace tvx::app
