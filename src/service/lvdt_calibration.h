// LVDT calibration: the valve is put into a calibration state (no current, or
// a fixed current through solenoid A or B) with command 29 while the LVDT
// signal (state register 21) is shown twice a second. The command's value is
// a float: the mode's base plus the current in amperes.
//
// The dialog must never leave a coil driven: closing always ends by sending
// the inactive mode, without waiting inside a wait, and gives up after one
// failed attempt with a warning that the valve may still be calibrating.
#pragma once

#include "link/port.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tvx::service {

enum class CalibrationMode { NotActive, ZeroCurrent, CoilA, CoilB };

struct CalibrationRadio {
  CalibrationMode mode;
  std::string_view name;  // radio button
  float base;
};

extern const std::array<CalibrationRadio, 4> CalibrationRadios;

// A current at or above this would reach into the next mode's range.
inline constexpr float CalibrationCurrentLimit = 1000.0f;

// The message shown for a current outside 0 <= I < 1000.
extern const char* const CalibrationRangeMessage;
// The warning shown when the inactive mode could not be sent on closing.
extern const char* const CalibrationStillActiveWarning;
extern const char* const CalibrationCaption;

// The current of the field's text ("." taken as ","): a finite number
// 0 <= I < 1000. Throws ConversionError for no number and for one out of range.
float CalibrationCurrent(std::string_view text);

// The word of command 29 for a mode and a valid current.
std::uint32_t CalibrationWord(CalibrationMode mode, float current);

// The word that ends calibration: the inactive base plus the field's current
// when that is valid, else exactly 0.
std::uint32_t ClosingCalibrationWord(std::string_view currentText);

// What the calibration needs of its dialog.
class CalibrationView {
 public:
  virtual ~CalibrationView() = default;
  virtual char decimalSeparator() const = 0;
  virtual CalibrationMode selectedMode() const = 0;
  virtual std::string currentText() const = 0;
  // The LVDT signal, e.g. "1,234 V".
  virtual void showSignal(const std::string& text) = 0;
  // The program's standard error box.
  virtual void showError(const std::string& text) = 0;
  virtual void showWarning(const std::string& text, const std::string& caption) = 0;
  // Closing has begun: the inactive mode is selected and the radio buttons,
  // the current field and both buttons are disabled.
  virtual void showClosing() = 0;
  // Ends the dialog with the OK result.
  virtual void closeDialog() = 0;
};

class LvdtCalibration {
 public:
  LvdtCalibration(link::Port& port, CalibrationView& view) : port_(port), view_(view) {}

  // The dialog became active: the first time, a pending send is forgotten.
  // Later activations (after a message box) change nothing.
  void activated();
  // SendCalibration: the next tick sends the mode chosen then.
  void sendClicked();
  // Done, Esc or any other way of closing: the next tick sends the inactive
  // mode and closes. Repeats are ignored.
  void closeRequested();
  // The 500 ms timer. Does nothing while an exchange waits or while a report
  // of an earlier tick is shown; otherwise closes, sends or shows the signal.
  // Once the port is closed or its device gone, the dialog closes with its
  // warning at once, without another exchange (and so without another report).
  void tick();

  bool sendPending() const { return sendPending_; }
  bool closing() const { return closing_; }
  bool finished() const { return finished_; }

 private:
  void send();
  void showSignal();
  void finishClosing();
  void giveUp();

  link::Port& port_;

  CalibrationView& view_;
  bool sendPending_ = false;
  bool activatedOnce_ = false;
  bool closing_ = false;
  bool finished_ = false;
  bool inTick_ = false;
};

// Pause between the closing command and the end of the dialog.
inline constexpr unsigned CalibrationCloseSettleMs = 100;

}  // namespace tvx::service
