// The PID extension dialog, in its two forms: the PID near the LVDT zero
// position as laid out, and the PID for a large regulation error, with other
// texts, no ramp-only box and 50 pixels shorter.
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

enum class XpidForm { NearZero, LargeError };

class TXPIDForm : public ui::CheckedDialog {
  Q_OBJECT
 public:
  static constexpr int NearZeroHeight = 222;
  static constexpr int LargeErrorShift = 50;

  TXPIDForm(QWidget* parent, XpidForm form);

  ui::FormComponents& components() { return components_; }

  ui::Label* Info_Label_A = nullptr;
  ui::ValveField* XPID_Limit_A = nullptr;
  ui::Label* Info_Label_B = nullptr;
  ui::ValveField* XPID_Limit_B = nullptr;
  ui::Label* Kp_Label = nullptr;
  ui::ValveField* XPID_Kp = nullptr;
  ui::Label* Ki_Label = nullptr;
  ui::ValveField* XPID_Ki = nullptr;
  QCheckBox* XPID_Ramp_Only = nullptr;
  QPushButton* SendConfig = nullptr;
  QPushButton* Cancel = nullptr;

 private:
  // Changes the near-zero layout into the large-error one.
  void MakeLargeErrorForm();

  ui::FormComponents components_;
};

// The right (or middle) press on LVDT_Setup: the near-zero set.
void OpenNearZeroPidDialog(link::Port& port, QWidget* parent, params::HeldParameters& held, bool heldFlagsRead);
// Dynamic_PID: the large-error set.
void OpenLargeErrorPidDialog(link::Port& port, QWidget* parent, params::HeldParameters& held);

}  // namespace tvx::service
