// TPgm: the live status of the valve on the "Pomiary" tab. One status refresh
// reads the state registers in a fixed order and puts their texts on the
// labels; a right click on InfoRefresh runs it periodically (Timer1); the reset
// buttons clear the valve's peak and maximum memories; the stop labels show the
// stop code and its critical value; Timer2 colours the three service gains.
// What a value looks like is decided in status/status_text.h; this file only
// exchanges with the valve and places the texts.
#include "app/definitions.h"
#include "app/main_window.h"
#include "link/exchanges.h"
#include "link/protocol.h"
#include "link/pump_wait.h"
#include "params/derived.h"
#include "params/register_map.h"
#include "status/status_text.h"
#include "ui/application.h"
#include "ui/number_fields.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

#include <cfenv>
#include <exception>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tvx::app {

namespace {

namespace state = params::state;
namespace cmd = params::cmd;

// Pause between a reset command and the refresh that shows its effect.
constexpr unsigned ResetSettleMs = 100;

// Runs an action on mouse events of one kind that reach the watched widget,
// before the widget's own handling.
class MouseHook : public QObject {
 public:
  MouseHook(QWidget* watched, std::initializer_list<QEvent::Type> types, std::function<void(QMouseEvent*)> action)
      : QObject(watched), types_(types), action_(std::move(action)) {
    watched->installEventFilter(this);
  }

  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    for (QEvent::Type type : types_) {
      if (event->type() == type) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        ui::RunGuarded([&] { action_(mouse); });
        break;
      }
    }
    return false;
  }

 private:
  std::vector<QEvent::Type> types_;
  std::function<void(QMouseEvent*)> action_;
};

// Values read from the valve may be any bit pattern; a NaN or an infinity shows
// as a text and never raises. The non-stop mode stays for the rest of the run.
void MaskFloatingPointExceptions() {
  std::fenv_t environment;
  std::feholdexcept(&environment);
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QColor WindowTextColour() { return QApplication::palette().color(QPalette::WindowText); }

}  // namespace

void TPgm::ConnectStatusHandlers() {
  auto guarded = [this](auto handler) { return [this, handler] { ui::RunGuarded(handler); }; };
  connect(Reset_Temp_Max, &QPushButton::clicked, this, guarded([this] { Reset_Temp_MaxClick(); }));
  connect(Reset_Usupply_Max, &QPushButton::clicked, this, guarded([this] { Reset_Usupply_MaxClick(); }));
  for (ui::Label* peak : {Coil_A_Peak, Coil_B_Peak})
    connect(peak, &ui::Label::clicked, this, guarded([this, peak] { Coil_A_PeakClick(peak); }));
  connect(StopInfo, &ui::Label::clicked, this, guarded([this] { StopInfoClick(); }));

  new MouseHook(InfoRefresh, {QEvent::MouseButtonRelease}, [this](QMouseEvent* e) { InfoRefreshMouseUp(e->button()); });
  // Besides the action buttons (see StopAutoTimerControls), a press on the
  // remote-control group or on the LVDT button switches the periodic refresh off.
  for (QWidget* w : std::initializer_list<QWidget*>{ManualControl, LVDT_Setup})
    new MouseHook(w, {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick}, [this](QMouseEvent*) { StopAutoTimer(); });
}

// ---- the refresh ---------------------------------------------------------------------

void TPgm::InfoRefreshClick() {
  MaskFloatingPointExceptions();
  TemperatureLimit = status::DefaultTemperatureLimit;
  InfoRefresh->setEnabled(false);
  RefreshBusy = true;
  try {
    StatusRefreshSteps();
  } catch (...) {
    // The values read so far stay shown; the rest keep their old texts.
    InfoRefresh->setEnabled(true);
    RefreshBusy = false;
    throw;
  }
  InfoRefresh->setEnabled(true);
  RefreshBusy = false;
}

void TPgm::StatusRefreshSteps() {
  const char sep = ui::DecimalSeparator();

  const std::uint32_t errorMask = link::ReadParameter(params::reg::ErrorMask);
  if (status::TemperatureLimitFromRegister(errorMask))
    TemperatureLimit = status::TemperatureLimitOf(link::ReadParameter(params::reg::TemperatureWarning));

  const float setValue = link::ReadRegisterFloat(state::SetValue);
  try {
    // Moving the bar runs its change reaction, which writes Set_Val too; the
    // exact value follows.
    Set_Bar->setValue(params::SetBarPosition(setValue));
    Set_Val->setText(Text(status::SetValueText(setValue, sep)));
  } catch (const std::exception&) {
    Set_Bar->setValue(0);
  }

  Coil_A_Peak->setText(Text(status::PeakText(link::ReadRegister(state::PeakA), sep)));
  Coil_B_Peak->setText(Text(status::PeakText(link::ReadRegister(state::PeakB), sep)));

  DiagnosticMax = link::ReadRegister(state::DiagnosticMax);
  ReadErrorHistory();

  const bool lvdt = LvdtFitted();
  Coil_A_Set->setText(Text(status::SetCoilText(link::ReadRegisterFloat(state::SetCoilA), lvdt, sep)));
  Coil_A_Set_Type->setText(Text(status::SetCoilCaption('A', lvdt)));
  Coil_B_Set->setText(Text(status::SetCoilText(link::ReadRegisterFloat(state::SetCoilB), lvdt, sep)));
  Coil_B_Set_Type->setText(Text(status::SetCoilCaption('B', lvdt)));
  // The captions size to their text ("Lset" is wider than the design's "Iset").
  Coil_A_Set_Type->adjustSize();
  Coil_B_Set_Type->adjustSize();

  ShowStop(link::ReadRegister(state::StopCode));

  const std::uint32_t dac = link::ReadRegister(state::DAC_Value);
  DAC_Value->setValveText(QString::number(dac), dac);

  status::StatusFlags flags;
  flags.lvdt = lvdt;
  flags.voltageInput = VoltageInput();
  flags.boardVariant = BoardVariant;
  flags.in2Present = In2Present;
  for (const status::StatusFloat& value : status::StatusFloats) {
    const float x = link::ReadRegisterFloat(value.stateRegister);
    auto* label = qobject_cast<ui::Label*>(
        components_.object(QString::fromLatin1(value.label.data(), static_cast<qsizetype>(value.label.size()))));
    if (!label) continue;
    label->setText(Text(status::StatusValueText(value.format, x, flags, sep)));
    if (value.stateRegister == state::Temperature)
      label->setFontColor(status::TemperatureRed(x, TemperatureLimit) ? QColor(Qt::red) : WindowTextColour());
  }

  Info_Temp->setToolTip(Text(status::TemperatureMaxHint(link::ReadRegisterFloat(state::TemperatureMax), sep)));
}

void TPgm::ReadErrorHistory() {
  ErrorHistory.fill(0);
  link::SendCommand(cmd::RestartErrorHistory, proto::OneShot);
  for (std::size_t i = 0; i < ErrorHistory.size(); ++i) {
    // A word above 255 is no code and ends the refresh.
    ErrorHistory[i] = status::ErrorHistoryCode(link::ReadRegister(state::ErrorHistory));
    if (ErrorHistory[i] == 0) break;
  }
}

// ---- stop codes ------------------------------------------------------------------------

void TPgm::ShowStop(std::uint32_t code) {
  LastStopCode = static_cast<std::int32_t>(code);
  if (code == status::NoStop) {
    StopCodeLabel->setVisible(false);
    StopInfo->setVisible(false);
    return;
  }
  StopCodeLabel->setText(Text(status::StopCodeCaption(code)));
  StopCodeLabel->setVisible(true);
  const float critical = link::ReadRegisterFloat(state::CriticalValue);
  StopInfo->setText(Text(status::StopInfoText(code, critical, BoardVariant, ui::DecimalSeparator())));
  StopInfo->setVisible(true);
}

void TPgm::StopInfoClick() {
  if (status::StopInfoClickClears(LastStopCode)) link::SendCommand(cmd::ClearStop, proto::MarkerTrue);
  InfoRefreshClick();
}

// ---- periodic refresh ------------------------------------------------------------------

void TPgm::InfoRefreshMouseUp(Qt::MouseButton button) {
  if (button != Qt::RightButton) return;
  if (Timer1->isActive()) {
    Timer1->stop();
  } else {
    Timer1->start();
  }
}

void TPgm::Timer1Timer() {
  // A refresh is under way (its exchanges keep the window live): this tick
  // does nothing. A failed refresh leaves the timer running; its error box is
  // shown inside this tick, so the timer's next tick comes after the box.
  if (RefreshBusy) return;
  InfoRefreshClick();
}

// ---- resets of the valve's memories ------------------------------------------------------

void TPgm::Reset_Temp_MaxClick() {
  link::SendCommand(cmd::ResetTemperatureMax, proto::OneShot);
  link::PumpWait(ResetSettleMs);
  InfoRefreshClick();
}

void TPgm::Reset_Usupply_MaxClick() {
  link::SendCommand(cmd::ResetUsupplyMax, proto::OneShot);
  link::PumpWait(ResetSettleMs);
  InfoRefreshClick();
}

void TPgm::Coil_A_PeakClick(QObject* sender) {
  const bool coilA = sender->objectName() == QLatin1String("Coil_A_Peak");
  if (auto* label = qobject_cast<ui::Label*>(sender)) label->setText(Text(std::string(status::PeakResetText)));
  link::SendCommand(cmd::ResetPeak, coilA ? params::ResetPeakA : params::ResetPeakB);
  link::PumpWait(ResetSettleMs);
  InfoRefreshClick();
}

// ---- service field check ---------------------------------------------------------------

void TPgm::Timer2Timer() {
  if (Options->currentWidget() != TabSheet2) return;
  for (QLineEdit* field : {DAC_Gain, ADC_Gain, LVDT_Gain}) {
    // Text that is no number ("---" before a read) keeps its colour.
    if (const auto red = status::ServiceGainRed(field->text().toStdString())) ui::SetFieldRed(field, *red);
  }
}

}  // namespace tvx::app
