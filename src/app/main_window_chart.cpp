// TPgm: the regulation chart and the set value of the remote group: the
// markers over the bar, the stepper on the group's free area and the send
// button's forms. The chart's handler guards and delegates to
// trace::OpenChartDialog; the window gives what the chart shows of it.
#include "app/definitions.h"
#include "app/main_window.h"
#include "link/exchanges.h"
#include "params/config_word.h"
#include "params/conversions.h"
#include "remote/set_value.h"
#include "service/options_form.h"
#include "trace/chart_form.h"
#include "ui/application.h"
#include "ui/mouse_hook.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <utility>

namespace tvx::app {

namespace {

// The stepper's view of the remote group.
class RemoteGroupStepper : public remote::StepperControls {
 public:
  RemoteGroupStepper(TPgm& pgm, Qt::MouseButton button) : pgm_(pgm), button_(button) {}
  int Position() const override { return pgm_.Set_Bar->value(); }
  void SetPosition(int position) override { pgm_.Set_Bar->setValue(position); }
  bool RemoteOn() const override { return pgm_.RemoteControl->isChecked(); }
  std::string_view SetValueText() const override {
    text_ = pgm_.Set_Val->text().toStdString();
    return text_;
  }
  void StopRefresh() override { pgm_.StopAutoTimer(); }
  bool MayContinue() const override {
    return (QGuiApplication::mouseButtons() & button_) && pgm_.isVisible() && pgm_.ManualControl->isVisible();
  }

 private:
  TPgm& pgm_;
  Qt::MouseButton button_;
  mutable std::string text_;
};

}  // namespace

void TPgm::ConnectRemoteHandlers() {
  using ui::Guarded;
  connect(ShowChart, &QPushButton::clicked, this, Guarded(this, &TPgm::ShowChartClick));
  connect(Set_Low, &ui::Label::clicked, this, Guarded([this] { SetMarkerClick(remote::Marker::Low); }));
  connect(Set_Mid, &ui::Label::clicked, this, Guarded([this] { SetMarkerClick(remote::Marker::Mid); }));
  connect(Set_Hi, &ui::Label::clicked, this, Guarded([this] { SetMarkerClick(remote::Marker::High); }));
  // The second press of a double click comes as a double-click event: it is
  // a mouse down like the first.
  new ui::MouseHook(ManualControl, {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick},
                    [this](QMouseEvent* e) { ManualControlMouseDown(e); });
  new ui::MouseHook(ManualControl, {QEvent::MouseButtonRelease}, [this](QMouseEvent*) { stepper_.Stop(); });
  // The mouse-up that follows a press on the button sends, wherever the
  // pointer is then (the button has the mouse until it is released).
  new ui::MouseHook(SendSetValue, {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick},
                    [this](QMouseEvent*) { sendSetValuePressed_ = true; });
  new ui::MouseHook(SendSetValue, {QEvent::MouseButtonRelease}, [this](QMouseEvent* e) {
    const bool pressed = std::exchange(sendSetValuePressed_, false);
    if (pressed && SendSetValue->isEnabled())
      SendSetValueMouseUp(e->button(), QGuiApplication::queryKeyboardModifiers());
  });
}

void TPgm::SetMarkerClick(remote::Marker marker) {
  Set_Bar->setValue(remote::MarkerPosition(marker, Set_Bar->minimum(), Set_Bar->maximum()));
}

void TPgm::ManualControlMouseDown(QMouseEvent* event) {
  if (event->position().x() >= Set_Val->x()) return;
  const Qt::KeyboardModifiers keys = event->modifiers();
  remote::StepperPress press;
  press.direction = event->button() == Qt::LeftButton ? 1 : event->button() == Qt::RightButton ? -1 : 0;
  press.shift = keys & Qt::ShiftModifier;
  press.ctrl = keys & Qt::ControlModifier;
  RemoteGroupStepper controls(*this, event->button());
  stepper_.Run(port_, controls, press);
}

void TPgm::SendSetValueMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers keys) {
  StopAutoTimer();
  remote::SendPress press;
  press.rightButton = button == Qt::RightButton;
  press.ctrlOnly = (keys & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
  remote::SendSetValue(port_, press, Set_Val->text().toStdString());
}

void TPgm::ShowChartClick() {
  if (link::ExchangeInProgress()) return;
  StopAutoTimer();
  trace::OpenChartDialog(port_, this, PWM->text().toStdString(), session_.valve.Held.traceInterval,
                         [this] { return ChartSettingsOfWindow(); });
}

trace::ChartSettings TPgm::ChartSettingsOfWindow() {
  params::ConfigWord options;
  if (service::OptionsForm) service::OptionsForm->putOptionBits(options);
  trace::ChartSettings settings;
  trace::ChartLegend& legend = settings.legend;
  legend.threePositions = ThreePositions();
  legend.voltageInput = VoltageInput();
  legend.lvdt = LvdtFitted();
  legend.pidP = PID_P->text();
  legend.pidI = PID_I->text();
  legend.pidD = PID_D->text();
  legend.dkp = params::WordToFloat(session_.valve.Held.largeErrorKp);
  legend.dki = params::WordToFloat(session_.valve.Held.largeErrorKi);
  legend.lkp = params::WordToFloat(session_.valve.Held.nearZeroKp);
  legend.lki = params::WordToFloat(session_.valve.Held.nearZeroKi);
  legend.dynamicPid = options.dynamicPidMode;
  settings.reportDac = options.reportDac;
  settings.detailMode = DetailMode;
  if (remote::RecorderStartTime)
    settings.sinceRecorderStart = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - *remote::RecorderStartTime);
  settings.firmwareText = QString::fromStdString(FirmwareText);
  settings.toggleDetailMode = [this] {
    FormShortCut(Qt::Key_F10);
    return DetailMode;
  };
  return settings;
}

}  // namespace tvx::app
