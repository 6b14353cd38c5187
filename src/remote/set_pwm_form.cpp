#include "remote/set_pwm_form.h"

#include "link/exchanges.h"
#include "ui/application.h"
#include "remote/live_outputs.h"
#include "ui/numeric_key_filter.h"
#include "ui/prompts.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"
#include "view/no_value.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace tvx::remote {

using ui::DesignText;

namespace {
constexpr int FieldLength = 6;
}  // namespace

TSetPWMForm::TSetPWMForm(link::Port& port, QWidget* parent, bool threePositions)
    : CheckedDialog(parent), threePositions_(threePositions), pwm_(port, view_) {
  setObjectName(QStringLiteral("SetPWMForm"));
  setWindowTitle(DesignText("Sterowanie ręczne wyjściami PWM"));
  auto& f = components_;
  const QString notRead = QString::fromLatin1(view::NoValueText);

  Label1 = ui::MakeLabel(f, this, "Label1", 12, 10, DesignText("PWM %"));
  Label2 = ui::MakeLabel(f, this, "Label2", 76, 10, DesignText("PWM"));
  Label3 = ui::MakeLabel(f, this, "Label3", 148, 10, DesignText("Ręcznie"));
  const QString percentHint = DesignText(" Maksymalna wartość 100% ");
  const QString valueHint = DesignText(" Maksymalna wartość xxx ");
  PWM_A_Percent = ui::MakeEdit(f, this, "PWM_A_Percent", {12, 28, 56, 21}, FieldLength, notRead, percentHint);
  PWM_A = ui::MakeEdit(f, this, "PWM_A", {76, 28, 64, 21}, FieldLength, notRead, valueHint);
  Enable_PWM_A = ui::MakeCheckBox(f, this, "Enable_PWM_A", {148, 29, 130, 19}, DesignText("elektromagnes A"),
                                  DesignText(" Uaktywnij sterowanie ręczne wartością PWM dla elektromagnesu A "));
  PWM_B_Percent = ui::MakeEdit(f, this, "PWM_B_Percent", {12, 58, 56, 21}, FieldLength, notRead, percentHint);
  PWM_B = ui::MakeEdit(f, this, "PWM_B", {76, 58, 64, 21}, FieldLength, notRead, valueHint);
  Enable_PWM_B = ui::MakeCheckBox(f, this, "Enable_PWM_B", {148, 59, 130, 19}, DesignText("elektromagnes B"),
                                  DesignText(" Uaktywnij sterowanie ręczne wartością PWM dla elektromagnesu B "));
  for (ui::ValveField* field : {PWM_A_Percent, PWM_A, PWM_B_Percent, PWM_B}) {
    ui::InstallNumericKeyFilter(field);
    field->installEventFilter(this);
  }

  SendPWM = ui::MakeButton(f, this, "SendPWM", {12, 96, 28, 25}, DesignText("»"),
                           DesignText(" Prześlij ustawienia PWM do rozdzielacza "));
  Done = ui::MakeButton(f, this, "Done", {195, 132, 80, 25}, DesignText(" OK "),
                        DesignText(" Wróć do okna głównego programu "));
  Cancel = ui::MakeButton(f, this, "Cancel", {12, 152, 120, 12}, DesignText("Form close after ESC only !"));
  QFont tiny = Cancel->font();
  tiny.setPointSize(5);
  Cancel->setFont(tiny);
  connect(SendPWM, &QPushButton::clicked, this, ui::Guarded(this, &TSetPWMForm::SendPWMClick));
  connect(Done, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(ClientWidth, ClientHeight);
  ui::SetReadingTabOrder(this);
}

void TSetPWMForm::ReadState() { pwm_.Open(); }

void TSetPWMForm::SendPWMClick() {
  if (link::ExchangeInProgress()) return;
  pwm_.Send();
}

void TSetPWMForm::FieldKeyUp(QObject* field) {
  ui::RunGuarded([this, field] { pwm_.KeyReleased(field->objectName().toStdString()); });
}

void TSetPWMForm::changeEvent(QEvent* event) {
  CheckedDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TSetPWMForm::FormActivate() {
  if (!threePositions_) {
    for (QWidget* w : std::initializer_list<QWidget*>{PWM_B, PWM_B_Percent, Enable_PWM_B}) w->setEnabled(false);
  }
  Done->setFocus();
}

bool TSetPWMForm::eventFilter(QObject* watched, QEvent* event) {
  // A release counts in a field that has had a key press since it took the
  // focus, whichever key was pressed last (keys overlap when typing fast).
  // The Enter that closes an error box is pressed in the box: its release
  // reaches a field that has just taken the focus back, and does nothing.
  switch (event->type()) {
    case QEvent::FocusIn: pressedIn_.erase(watched); break;
    case QEvent::KeyPress: pressedIn_.insert(watched); break;
    case QEvent::KeyRelease:
      if (pressedIn_.contains(watched)) FieldKeyUp(watched);
      break;
    default: break;
  }
  return QDialog::eventFilter(watched, event);
}

void OpenManualPwmDialog(link::Port& port, LiveOutputs& outputs, QWidget* parent, bool threePositions) {
  {
    TSetPWMForm form(port, parent, threePositions);
    form.ReadState();
    form.exec();
  }
  // The valve keeps manual PWM after the dialog; never without a word.
  OfferSwitchOff(port, outputs, {LiveOutput::ManualPwm}, ui::CurrentPrompts(), nullptr);
}

}  // namespace tvx::remote
