#include "service/xpid_form.h"

#include "service/xpid_setup.h"
#include "ui/form_dialog_view.h"
#include "ui/numeric_key_filter.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"
#include "view/no_value.h"

#include <QCheckBox>
#include <QPushButton>

namespace tvx::service {

using ui::DesignText;

namespace {
constexpr int FieldLength = 10;
constexpr int FieldX = 230;
constexpr int Width = 372;
}  // namespace

TXPIDForm::TXPIDForm(QWidget* parent, XpidForm form) : CheckedDialog(parent) {
  setObjectName(QStringLiteral("XPIDForm"));
  setWindowTitle(DesignText(" Parametry PID blisko położenia zerowego LVDT"));
  auto& f = components_;
  const QString notRead = QString::fromLatin1(view::NoValueText);
  auto row = [&](ui::Label*& label, const char* labelName, const char* caption, ui::ValveField*& field,
                 const char* fieldName, int y, const char* hint) {
    label = ui::MakeLabel(f, this, labelName, {16, y + 3, FieldX - 24, 15}, DesignText(caption));
    field = ui::MakeEdit(f, this, fieldName, {FieldX, y, 126, 21}, FieldLength, notRead,
                         hint ? DesignText(hint) : QString());
    ui::InstallNumericKeyFilter(field);
  };
  row(Info_Label_A, "Info_Label_A", "Prąd graniczny cewki A [A]", XPID_Limit_A, "XPID_Limit_A", 12,
      " Prąd cewki A, poniżej którego obowiązują podane parametry PID ");
  row(Info_Label_B, "Info_Label_B", "Prąd graniczny cewki B [A]", XPID_Limit_B, "XPID_Limit_B", 40,
      " Prąd cewki B, poniżej którego obowiązują podane parametry PID ");
  row(Kp_Label, "Kp_Label", "Współczynnik Kp", XPID_Kp, "XPID_Kp", 76, nullptr);
  row(Ki_Label, "Ki_Label", "Współczynnik Ki", XPID_Ki, "XPID_Ki", 104, nullptr);
  XPID_Ramp_Only = ui::MakeCheckBox(f, this, "XPID_Ramp_Only", {16, 140, Width - 24, 19},
                                    DesignText("stosuj podane parametry tylko dla pracy w trybie RAMPA"));
  SendConfig = ui::MakeButton(f, this, "SendConfig", {Width - 186, 186, 80, 25}, DesignText("  OK "));
  Cancel = ui::MakeButton(f, this, "Cancel", {Width - 96, 186, 80, 25}, DesignText("Anuluj  "));
  connect(SendConfig, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(Width, NearZeroHeight);

  if (form == XpidForm::LargeError) MakeLargeErrorForm();
  ui::SetReadingTabOrder(this);
}

void TXPIDForm::MakeLargeErrorForm() {
  setWindowTitle(DesignText(" Parametry PID dla dużego błędu regulacji"));
  Info_Label_A->setText(DesignText("Błąd graniczny prądu [A]"));
  Info_Label_B->setText(DesignText("Błąd graniczny LVDT [V]"));
  XPID_Limit_A->setToolTip(DesignText(" Błąd prądu cewki, powyżej którego obowiązują podane parametry PID "));
  XPID_Limit_B->setToolTip(DesignText(" Błąd położenia LVDT, powyżej którego obowiązują podane parametry PID "));
  XPID_Ramp_Only->setVisible(false);
  setFixedSize(width(), height() - LargeErrorShift);
  for (QPushButton* b : {SendConfig, Cancel}) b->move(b->x(), b->y() - LargeErrorShift);
}

void OpenNearZeroPidDialog(link::Port& port, QWidget* parent, params::HeldParameters& held, bool heldFlagsRead) {
  TXPIDForm form(parent, XpidForm::NearZero);
  ui::FormDialogView view(form, form.components());
  NearZeroPidSetup(port, view, held, heldFlagsRead);
}

void OpenLargeErrorPidDialog(link::Port& port, QWidget* parent, params::HeldParameters& held) {
  TXPIDForm form(parent, XpidForm::LargeError);
  ui::FormDialogView view(form, form.components());
  LargeErrorPidSetup(port, view, held);
}

}  // namespace tvx::service
