// The ramp dialog: the rise and fall times of both solenoids and the ramp
// switch. Created for each opening and shown modally by OpenRampDialog.
#pragma once

#include "link/port.h"
#include "params/held_parameters.h"
#include "ui/checked_dialog.h"
#include "ui/form_components.h"

class QCheckBox;
class QPushButton;

namespace tvx::ui {
class Label;
class ValveField;
}  // namespace tvx::ui

namespace tvx::service {

class TRampForm : public ui::CheckedDialog {
  Q_OBJECT
 public:
  // A two-position valve (one solenoid) hides the solenoid B fields.
  TRampForm(QWidget* parent, bool threePositions);

  ui::FormComponents& components() { return components_; }

  ui::Label* Label1 = nullptr;  // "Elektromagnes A"
  ui::Label* Label2 = nullptr;  // "Elektromagnes B"
  ui::Label* Label3 = nullptr;
  ui::ValveField* Ramp_A_Rise = nullptr;
  ui::Label* Label4 = nullptr;
  ui::ValveField* Ramp_A_Fall = nullptr;
  ui::Label* Label5 = nullptr;
  ui::ValveField* Ramp_B_Rise = nullptr;
  ui::Label* Label6 = nullptr;
  ui::ValveField* Ramp_B_Fall = nullptr;
  QCheckBox* RampEnable = nullptr;
  QPushButton* SendConfig = nullptr;
  QPushButton* Cancel = nullptr;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  ui::FormComponents components_;
};

// RampSetup: reads the times into a new dialog, shows it and on OK writes them
// and switches the ramp (see ramp_setup.h).
void OpenRampDialog(link::Port& port, QWidget* parent, params::HeldParameters& held, bool heldFlagsRead,
                    bool threePositions);

}  // namespace tvx::service
