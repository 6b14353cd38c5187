#include "remote/auto_form.h"

#include "remote/live_outputs.h"
#include "remote/test_signal.h"
#include "ui/prompts.h"
#include "ui/form_dialog_view.h"
#include "ui/numeric_key_filter.h"
#include "ui/radio_button.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"
#include "view/no_value.h"

#include <QPushButton>
#include <QRadioButton>

namespace tvx::remote {

using ui::DesignText;

namespace {
constexpr int FieldLength = 6;
}  // namespace

TAutoForm::TAutoForm(QWidget* parent) : CheckedDialog(parent) {
  setObjectName(QStringLiteral("AutoForm"));
  setWindowTitle(DesignText(" Symulacja wartości zadanej"));
  auto& f = components_;

  Heading = ui::MakeLabel(f, this, "Heading", 16, 12, DesignText("Symulowany sygnał wartości zadanej"));
  QFont bold = font();
  bold.setBold(true);
  Heading->setFont(bold);
  Heading->adjustSize();

  AutoStop = ui::MakeRadioButton(f, this, "AutoStop", {16, 40, 110, 19}, DesignText("&nieaktywny"));
  AutoSinus = ui::MakeRadioButton(f, this, "AutoSinus", {16, 64, 110, 19}, DesignText("&sinusoida"));
  AutoSquare = ui::MakeRadioButton(f, this, "AutoSquare", {16, 88, 110, 19}, DesignText("&prostokąt"));
  AutoTriangle = ui::MakeRadioButton(f, this, "AutoTriangle", {16, 112, 110, 19}, DesignText("&trójkąt"));

  const QString notRead = QString::fromLatin1(view::NoValueText);
  Label1 = ui::MakeLabel(f, this, "Label1", 140, 42, DesignText("Amplituda [V]"));
  Amplitude = ui::MakeEdit(f, this, "Amplitude", {256, 39, 64, 21}, FieldLength, notRead);
  Label2 = ui::MakeLabel(f, this, "Label2", 140, 74, DesignText("Częstotliwość [Hz]"));
  Frequency = ui::MakeEdit(f, this, "Frequency", {256, 71, 64, 21}, FieldLength, notRead);
  Label3 = ui::MakeLabel(f, this, "Label3", 140, 106, DesignText("Przesunięcie [V]"));
  Offset = ui::MakeEdit(f, this, "Offset", {256, 103, 64, 21}, FieldLength, notRead);
  ui::InstallNumericKeyFilter(Amplitude);
  ui::InstallNumericKeyFilter(Frequency);
  ui::InstallNumericKeyFilter(Offset, ui::NumericKeys::Signed);

  SendConfig = ui::MakeButton(f, this, "SendConfig", {150, 148, 80, 25}, DesignText("  OK "));
  Cancel = ui::MakeButton(f, this, "Cancel", {240, 148, 80, 25}, DesignText("Anuluj  "));
  connect(SendConfig, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(336, 186);
  ui::SetReadingTabOrder(this);
}

void OpenTestSignalDialog(link::Port& port, LiveOutputs& outputs, QWidget* parent) {
  {
    TAutoForm form(parent);
    ui::FormDialogView view(form, form.components());
    TestSignalSetup(port, view);
  }
  // The valve keeps producing the signal after the dialog; never without a word.
  OfferSwitchOff(port, outputs, {LiveOutput::TestSignal}, ui::CurrentPrompts(), nullptr);
}

}  // namespace tvx::remote
