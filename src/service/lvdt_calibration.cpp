#include "service/lvdt_calibration.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/port.h"
#include "link/pump_wait.h"
#include "params/conversions.h"
#include "params/register_map.h"

#include <cmath>
#include <exception>

namespace tvx::service {

const std::array<CalibrationRadio, 4> CalibrationRadios{{
    {CalibrationMode::NotActive, "NotActive", params::CalibrationInactive},
    {CalibrationMode::ZeroCurrent, "ZeroCurrent", params::CalibrationZeroCurrent},
    {CalibrationMode::CoilA, "Coil_A", params::CalibrationCoilA},
    {CalibrationMode::CoilB, "Coil_B", params::CalibrationCoilB},
}};

const char* const CalibrationRangeMessage = "Prąd kalibracji musi być liczbą nieujemną mniejszą od 1000 A";
const char* const CalibrationStillActiveWarning =
    " Nie udało się zakończyć kalibracji czujnika LVDT! \r"
    " Rozdzielacz może nadal pozostawać w trybie kalibracji z prądem w cewce. \r"
    " Sprawdź połączenie USB i zresetuj rozdzielacz. ";
const char* const CalibrationCaption = " Kalibracja czujnika LVDT";

namespace {

// The change log names the calibration as the dialog's caption does.
const std::string CalibrationOperation = std::string(CalibrationCaption).substr(1);

float BaseOf(CalibrationMode mode) {
  for (const CalibrationRadio& r : CalibrationRadios)
    if (r.mode == mode) return r.base;
  return params::CalibrationInactive;
}

// Marks a tick as running, so that a tick arriving while this one waits or
// shows a report does nothing.
class TickScope {
 public:
  explicit TickScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TickScope() { flag_ = false; }
  TickScope(const TickScope&) = delete;
  TickScope& operator=(const TickScope&) = delete;

 private:
  bool& flag_;
};

// The port is closed, or its device is gone (the cable pulled).
bool LinkGone(const link::Port& port) { return !port.PortOpen.load() || link::PortLost(port); }

}  // namespace

float CalibrationCurrent(std::string_view text) {
  const float current = params::ParseSingle(text);
  if (!std::isfinite(current) || current < 0.0f || current >= CalibrationCurrentLimit)
    throw link::ConversionError(CalibrationRangeMessage);
  return current;
}

std::uint32_t CalibrationWord(CalibrationMode mode, float current) {
  return params::FloatToWord(static_cast<float>(double{BaseOf(mode)} + double{current}));
}

std::uint32_t ClosingCalibrationWord(std::string_view currentText) {
  try {
    return CalibrationWord(CalibrationMode::NotActive, CalibrationCurrent(currentText));
  } catch (const link::ConversionError&) {
    return 0;
  }
}

void LvdtCalibration::activated() {
  if (activatedOnce_) return;
  activatedOnce_ = true;
  sendPending_ = false;
}

void LvdtCalibration::sendClicked() {
  if (closing_) return;
  sendPending_ = true;
}

void LvdtCalibration::closeRequested() {
  if (closing_) return;
  closing_ = true;
  sendPending_ = false;
  view_.showClosing();
}

void LvdtCalibration::tick() {
  if (finished_ || inTick_ || link::ExchangeInProgress()) return;
  TickScope scope(inTick_);
  if (LinkGone(port_)) {
    // Nothing can reach the valve any more: no further reports, the dialog
    // closes with its warning.
    giveUp();
  } else if (closing_) {
    finishClosing();
  } else if (sendPending_) {
    send();
  } else {
    showSignal();
  }
  if (!finished_ && LinkGone(port_)) giveUp();
}

void LvdtCalibration::giveUp() {
  closing_ = true;
  sendPending_ = false;
  view_.showClosing();
  view_.showWarning(CalibrationStillActiveWarning, CalibrationCaption);
  finished_ = true;
  view_.closeDialog();
}

void LvdtCalibration::send() {
  // One attempt: a failed command is not repeated by the following ticks.
  sendPending_ = false;
  try {
    const float current = CalibrationCurrent(view_.currentText());
    link::ChangeLogScope logged(CalibrationOperation);
    link::SendCommand(port_, params::cmd::LvdtCalibration, CalibrationWord(view_.selectedMode(), current));
  } catch (const link::UsbError&) {
    // Reported by CommError.
  } catch (const link::ConversionError& error) {
    view_.showError(error.what());
  }
}

void LvdtCalibration::showSignal() {
  try {
    const float signal = link::ReadRegisterFloat(port_, params::state::Lvdt);
    view_.showSignal(params::FormatFixed(signal, 3, view_.decimalSeparator()) + " V");
  } catch (const link::UsbError&) {
    // Reported by CommError; the next tick tries again.
  } catch (const link::ConversionError& error) {
    view_.showError(error.what());
  }
}

void LvdtCalibration::finishClosing() {
  bool sent = false;
  try {
    link::ChangeLogScope logged(CalibrationOperation);
    link::SendCommand(port_, params::cmd::LvdtCalibration, ClosingCalibrationWord(view_.currentText()));
    sent = true;
  } catch (const link::UsbError&) {
    // Reported once by CommError.
  } catch (const std::exception& error) {
    // A garbled reply: the command may or may not have arrived.
    view_.showError(error.what());
  }
  if (sent) {
    link::PumpWait(CalibrationCloseSettleMs);
  } else {
    view_.showWarning(CalibrationStillActiveWarning, CalibrationCaption);
  }
  finished_ = true;
  view_.closeDialog();
}

}  // namespace tvx::service
