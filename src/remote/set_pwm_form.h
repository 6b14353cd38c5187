// The manual PWM dialog: the two coil PWM outputs set by hand, as values and
// as percentages of the valve's PWM maximum, with the manual switch of each
// coil. SendPWM sends; closing sends nothing.
#pragma once

#include "link/port.h"
#include "remote/live_outputs.h"
#include "remote/manual_outputs.h"
#include "ui/checked_dialog.h"
#include "ui/form_components.h"
#include "ui/form_dialog_view.h"

#include <set>

class QCheckBox;
class QPushButton;

namespace tvx::ui {
class Label;
class ValveField;
}  // namespace tvx::ui

namespace tvx::remote {

class TSetPWMForm : public ui::CheckedDialog {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 287;
  static constexpr int ClientHeight = 169;

  // A two-position valve (one coil) has its B row disabled.
  TSetPWMForm(link::Port& port, QWidget* parent, bool threePositions);

  ui::FormComponents& components() { return components_; }
  ManualPwm& pwm() { return pwm_; }

  ui::Label* Label1 = nullptr;  // "PWM %"
  ui::Label* Label2 = nullptr;  // "PWM"
  ui::Label* Label3 = nullptr;  // "Ręcznie"
  ui::ValveField* PWM_A_Percent = nullptr;
  ui::ValveField* PWM_A = nullptr;
  QCheckBox* Enable_PWM_A = nullptr;
  ui::ValveField* PWM_B_Percent = nullptr;
  ui::ValveField* PWM_B = nullptr;
  QCheckBox* Enable_PWM_B = nullptr;
  QPushButton* SendPWM = nullptr;
  QPushButton* Done = nullptr;
  QPushButton* Cancel = nullptr;

  // Creation: reads the valve's manual PWM state into the dialog.
  void ReadState();
  void SendPWMClick();
  // Key release in one of the four fields.
  void FieldKeyUp(QObject* field);

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormActivate();

  bool threePositions_;
  // The fields that have had a key press since they took the focus.
  std::set<QObject*> pressedIn_;
  ui::FormComponents components_;
  ui::FormDialogView view_{*this, components_};
  ManualPwm pwm_;
};

// PWM_Manual: creates the dialog (reading the valve's state), shows it modally.
void OpenManualPwmDialog(link::Port& port, LiveOutputs& outputs, QWidget* parent, bool threePositions);

}  // namespace tvx::remote
