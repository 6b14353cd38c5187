// The options dialog: the valve's switchable firmware features, the ramp start
// delay, the dither amplitude and frequency, the serial number and the valve
// type. Created once at start-up and kept for the whole run: its check boxes
// and fields are the program's store of these settings.
#pragma once

#include "link/port.h"
#include "service/options_settings.h"
#include "ui/checked_dialog.h"
#include "ui/form_components.h"
#include "ui/valve_field.h"

#include <cstdint>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tvx::params {
struct ConfigWord;
}

namespace tvx::ui {
class Label;
}  // namespace tvx::ui

namespace tvx::service {

class TOptionsForm : public ui::CheckedDialog {
  Q_OBJECT
 public:
  // The hint of Q51_PWM_Sequence names the transistor of the board variant
  // known when the dialog is created.
  explicit TOptionsForm(link::Port& port, QWidget* parent = nullptr, bool boardVariant = false);
  ~TOptionsForm() override;

  ui::FormComponents& components() { return components_; }
  const ui::FormComponents& components() const { return components_; }

  // Applies the dialog's access tags (done each time the dialog becomes active).
  void ApplyAccessRules();

  // After the dialog closed with OK: registers 117 to 119 from the three
  // number fields, then the serial number (commands 90 to 99) and the valve
  // type (commands 100 to 109) as ten words each, as OK checked them (a field
  // that does not hold an integer keeps the dialog open).
  void SendSettings();

  // The configuration word's option bits: shown on the boxes (a read) and
  // put back (a send).
  void showOptionBits(const params::ConfigWord& word);
  void putOptionBits(params::ConfigWord& word) const;
  // The identity texts as the valve sent them.
  void setSerialNumber(const QString& text);
  void setDeviceType(const QString& text);
  QString deviceType() const;
  // Dither_Mode is checked.
  bool ditherOn() const;

  // The fifteen option check boxes, top to bottom.
  QCheckBox* Enable_PID2 = nullptr;
  QCheckBox* XPID_LVDT = nullptr;
  QCheckBox* Dynamic_PID_Mode = nullptr;
  QCheckBox* New_Ki_Limits = nullptr;
  QCheckBox* No_Filter_Delay = nullptr;
  QCheckBox* MedianFilter = nullptr;
  QCheckBox* LowPowerHold = nullptr;
  QCheckBox* SetValDacMode = nullptr;
  ui::Label* Label6 = nullptr;  // over SetValDacMode, with the same hint
  QCheckBox* Report_DAC = nullptr;
  QCheckBox* Filter_DAC = nullptr;
  QCheckBox* Q51_PWM_Sequence = nullptr;
  QCheckBox* IWDT_Enabled = nullptr;
  QCheckBox* Ramp_Set_Val_Delay = nullptr;
  ui::ValveField* Ramp_Start_Delay = nullptr;
  ui::Label* Ramp_Delay_Units = nullptr;
  QCheckBox* Dither_Mode = nullptr;
  ui::Label* Label1 = nullptr;  // "amplituda pwm"
  ui::ValveField* Dither_Ampl = nullptr;
  ui::Label* Label2 = nullptr;  // "częstotliwość"
  ui::ValveField* Dither_Freq = nullptr;
  ui::Label* Label3 = nullptr;  // "Hz"
  QCheckBox* Dither_DAC_Average = nullptr;
  ui::Label* Label4 = nullptr;  // "Rodzaj rozdzielacza:"
  ui::ValveField* Device_Type = nullptr;
  ui::Label* Label5 = nullptr;  // "Numer seryjny:"
  ui::ValveField* Serial_Number = nullptr;
  QLineEdit* HistoryDatabase = nullptr;  // the valve history's database (history_setting_form)
  QPushButton* SendConfig = nullptr;
  QPushButton* Cancel = nullptr;

  // State kept between the events of one showing.
  bool DitherAtActivation = false;
  std::uint32_t PwmMaximum = 5000;

  // Check box click: the switch command, only while the dialog is active.
  void OptionClick(QCheckBox* box);
  // Colour checks of the dither fields.
  void Dither_AmplChange();
  void Dither_FreqChange();
  // OK: checks the fields, then the dither switch, then closes with the OK
  // result.
  void SendConfigClick();

 signals:
  // Dither was switched on during this showing below access level 2: the
  // main window's PWM frequency is to show "2000".
  void DitherPwmRequested();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FormActivate();
  void AssignAccessTags();
  OptionSettings Settings() const;

  // What OK checked in this showing.
  std::optional<CheckedOptionSettings> checked_;

  // A failed read of the PWM maximum is reported with a message box; closing
  // that box activates the dialog again, which must not read (and fail) again.
  bool pwmReadFailed_ = false;
  // The dialog lost activation to no window of the program.
  bool leftForOtherApplication_ = false;

  link::Port& port_;
  ui::FormComponents components_;
};

// The options dialog while it exists (created right after the main window).
extern TOptionsForm* OptionsForm;

}  // namespace tvx::service
