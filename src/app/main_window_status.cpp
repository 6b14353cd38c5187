// TPgm: the handlers of the live status on the "Pomiary" tab. The refresh, the
// stop labels and the resets are sequences of status/status_refresh.h; here a
// handler guards, delegates and re-enables. A right click on InfoRefresh runs
// the refresh periodically (Timer1); Timer2 colours the three service gains.
#include "app/definitions.h"
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "status/status_refresh.h"
#include "status/status_text.h"
#include "ui/application.h"
#include "ui/mouse_hook.h"
#include "ui/number_fields.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tvx::app {

using ui::MouseHook;

void TPgm::ConnectStatusHandlers() {
  using ui::Guarded;
  connect(Reset_Temp_Max, &QPushButton::clicked, this, Guarded(this, &TPgm::Reset_Temp_MaxClick));
  connect(Reset_Usupply_Max, &QPushButton::clicked, this, Guarded(this, &TPgm::Reset_Usupply_MaxClick));
  connect(Coil_A_Peak, &ui::Label::clicked, this, Guarded(this, &TPgm::Coil_A_PeakClick));
  connect(Coil_B_Peak, &ui::Label::clicked, this, Guarded(this, &TPgm::Coil_B_PeakClick));
  connect(StopInfo, &ui::Label::clicked, this, Guarded(this, &TPgm::StopInfoClick));

  new MouseHook(InfoRefresh, {QEvent::MouseButtonRelease}, [this](QMouseEvent* e) { InfoRefreshMouseUp(e->button()); });
  // Besides the action buttons (see StopAutoTimerControls), a press on the
  // remote-control group or on the LVDT button switches the periodic refresh off.
  for (QWidget* w : std::initializer_list<QWidget*>{ManualControl, LVDT_Setup})
    new MouseHook(w, {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick},
                  [this](QMouseEvent*) { StopAutoTimer(); });
}

void TPgm::InfoRefreshClick() {
  // The turn's end re-enables the button and clears RefreshBusy, also after a
  // failure: the values read so far stay shown, the rest keep their old texts.
  const std::optional<HandlerTurn> turn =
      StartTurn({InfoRefresh}, HandlerTurn::Focus::Passes, &session_.status.RefreshBusy);
  if (!turn) return;
  StopCodeLabel->setEnabled(true);
  StopInfo->setEnabled(true);
  MainWindowView view(*this);
  status::StatusRefresh(port_, session_.valve, session_.status, view, {LvdtFitted(), VoltageInput()});
}

void TPgm::StopInfoClick() {
  if (Exchanging()) return;
  status::ClearSoftStop(port_, session_.status);
  InfoRefreshClick();
}

void TPgm::InfoRefreshMouseUp(Qt::MouseButton button) {
  if (button != Qt::RightButton) return;
  if (Timer1->isActive()) {
    Timer1->stop();
  } else {
    Timer1->start();
  }
}

void TPgm::Timer1Timer() {
  // A refresh or another exchange is under way (exchanges keep the window
  // live): this tick does nothing. A failed refresh leaves the timer running;
  // its error box is shown inside this tick, so the next tick comes after it.
  if (Exchanging()) return;
  InfoRefreshClick();
}

void TPgm::Reset_Temp_MaxClick() {
  if (Exchanging()) return;
  status::ResetTemperatureMax(port_);
  InfoRefreshClick();
}

void TPgm::Reset_Usupply_MaxClick() {
  if (Exchanging()) return;
  status::ResetUsupplyMax(port_);
  InfoRefreshClick();
}

void TPgm::Coil_A_PeakClick() { ResetPeakAndRefresh('A'); }

void TPgm::Coil_B_PeakClick() { ResetPeakAndRefresh('B'); }

void TPgm::ResetPeakAndRefresh(char coil) {
  if (Exchanging()) return;
  MainWindowView view(*this);
  status::ResetPeak(port_, view, coil);
  InfoRefreshClick();
}

void TPgm::Timer2Timer() {
  if (Options->currentWidget() != TabSheet2) return;
  for (ui::ValveField* field : {DAC_Gain, ADC_Gain, LVDT_Gain}) {
    // Text that is no number ("---" before a read) keeps its colour.
    if (const auto red = status::ServiceGainRed(field->text().toStdString())) ui::SetFieldRed(field, *red);
  }
}

}  // namespace tvx::app
