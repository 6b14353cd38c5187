#include "service/ramp_form.h"

#include "service/ramp_setup.h"
#include "ui/form_dialog_view.h"
#include "ui/numeric_key_filter.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"
#include "view/no_value.h"

#include <QCheckBox>
#include <QEvent>
#include <QPushButton>

namespace tvx::service {

using ui::DesignText;

namespace {
constexpr int TimeLength = 6;
}  // namespace

TRampForm::TRampForm(QWidget* parent, bool threePositions) : CheckedDialog(parent) {
  setObjectName(QStringLiteral("RampForm"));
  setWindowTitle(DesignText("  Parametry rampy"));
  auto& f = components_;
  const QString notRead = QString::fromLatin1(view::NoValueText);

  Label1 = ui::MakeLabel(f, this, "Label1", 24, 14, DesignText("Elektromagnes A"));
  Label2 = ui::MakeLabel(f, this, "Label2", 154, 14, DesignText("Elektromagnes B"));
  QFont bold = font();
  bold.setBold(true);
  Label1->setFont(bold);
  Label1->adjustSize();
  // A single solenoid: its B heading stays, in regular type, over nothing.
  if (threePositions) {
    Label2->setFont(bold);
    Label2->adjustSize();
  }

  Label3 = ui::MakeLabel(f, this, "Label3", 24, 40, DesignText("Narastanie [s]"));
  Ramp_A_Rise = ui::MakeEdit(f, this, "Ramp_A_Rise", {24, 56, 90, 21}, TimeLength, notRead);
  Label4 = ui::MakeLabel(f, this, "Label4", 24, 86, DesignText("Opadanie [s]"));
  Ramp_A_Fall = ui::MakeEdit(f, this, "Ramp_A_Fall", {24, 102, 90, 21}, TimeLength, notRead);
  Label5 = ui::MakeLabel(f, this, "Label5", 154, 40, DesignText("Narastanie [s]"));
  Ramp_B_Rise = ui::MakeEdit(f, this, "Ramp_B_Rise", {154, 56, 90, 21}, TimeLength, notRead);
  Label6 = ui::MakeLabel(f, this, "Label6", 154, 86, DesignText("Opadanie [s]"));
  Ramp_B_Fall = ui::MakeEdit(f, this, "Ramp_B_Fall", {154, 102, 90, 21}, TimeLength, notRead);
  for (ui::ValveField* field : {Ramp_A_Rise, Ramp_A_Fall, Ramp_B_Rise, Ramp_B_Fall}) ui::InstallNumericKeyFilter(field);
  for (QWidget* w : std::initializer_list<QWidget*>{Label5, Ramp_B_Rise, Label6, Ramp_B_Fall})
    w->setVisible(threePositions);

  RampEnable = ui::MakeCheckBox(f, this, "RampEnable", {24, 138, 200, 19}, DesignText("Rampy aktywne"));

  SendConfig = ui::MakeButton(f, this, "SendConfig", {84, 172, 80, 25}, DesignText("  OK "));
  Cancel = ui::MakeButton(f, this, "Cancel", {174, 172, 80, 25}, DesignText("Anuluj  "));
  connect(SendConfig, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(268, 210);
  ui::SetReadingTabOrder(this);
}

void TRampForm::changeEvent(QEvent* event) {
  CheckedDialog::changeEvent(event);
  // Back from the message of a failed OK, the focus stays on the failing field.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !activeAgainAfterFailedCheck())
    SendConfig->setFocus();
}

void OpenRampDialog(link::Port& port, QWidget* parent, params::HeldParameters& held, bool heldFlagsRead,
                    bool threePositions) {
  TRampForm form(parent, threePositions);
  ui::FormDialogView view(form, form.components());
  RampSetup(port, view, held, heldFlagsRead);
}

}  // namespace tvx::service
