#include "service/calibrate_form.h"

#include "ui/application.h"
#include "ui/number_fields.h"
#include "ui/numeric_key_filter.h"
#include "ui/prompts.h"
#include "ui/radio_button.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace tvx::service {

using ui::DesignText;

namespace {
constexpr int CurrentLength = 5;
}  // namespace

TCalibrateForm::TCalibrateForm(link::Port& port, QWidget* parent) : QDialog(parent), calibration_(port, *this) {
  setObjectName(QStringLiteral("CalibrateForm"));
  setWindowTitle(DesignText(" Kalibracja czujnika LVDT"));
  // No title-bar buttons: the dialog ends through Done (or Esc).
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto& f = components_;

  NotActive = ui::MakeRadioButton(f, this, "NotActive", {16, 12, 200, 19}, DesignText("kalibracja LVDT nieaktywna"));
  ZeroCurrent = ui::MakeRadioButton(f, this, "ZeroCurrent", {16, 34, 200, 19}, DesignText("brak prądu w cewkach"));
  Coil_A = ui::MakeRadioButton(f, this, "Coil_A", {16, 56, 120, 19}, DesignText("cewka A prąd"));
  Coil_B = ui::MakeRadioButton(f, this, "Coil_B", {16, 78, 120, 19}, DesignText("cewka B prąd"));
  NotActive->setChecked(true);

  Calibration_Curr = ui::MakeEdit(f, this, "Calibration_Curr", {140, 66, 56, 21}, CurrentLength, QStringLiteral("1.5"),
                                  DesignText(" Maksymalna wartość xxx "));
  ui::InstallNumericKeyFilter(Calibration_Curr);
  Label1 = ui::MakeLabel(f, this, "Label1", 202, 69, DesignText("A"));

  InfoLabel = ui::MakeLabel(f, this, "InfoLabel", 16, 112, DesignText("Sygnał z czujnika LVDT:"));
  LVDT_Voltage =
      ui::MakeLabel(f, this, "LVDT_Voltage", {InfoLabel->geometry().right() + 8, 112, 90, 15}, DesignText("Ulvdt"));
  QFont bold = font();
  bold.setBold(true);
  LVDT_Voltage->setFont(bold);

  SendCalibration = ui::MakeButton(f, this, "SendCalibration", {232, 64, 28, 25}, DesignText("»"),
                                   DesignText(" Prześlij tryb kalibracji do rozdzielacza "));
  Done = ui::MakeButton(f, this, "Done", {180, 142, 80, 25}, DesignText(" OK "),
                        DesignText(" Zakończ tryb kalibracji i wróć do okna głównego programu "));
  connect(SendCalibration, &QPushButton::clicked, this, [this] { SendCalibrationClick(); });
  connect(Done, &QPushButton::clicked, this, [this] { DoneClick(); });

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(TickMs);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  Timer1->start();
  setFixedSize(276, 180);
  ui::SetReadingTabOrder(this);
}

TCalibrateForm::~TCalibrateForm() { Timer1->stop(); }

void TCalibrateForm::SendCalibrationClick() { calibration_.sendClicked(); }

void TCalibrateForm::DoneClick() { calibration_.closeRequested(); }

void TCalibrateForm::Timer1Timer() {
  ui::RunGuarded([this] { calibration_.tick(); });
}

void TCalibrateForm::reject() {
  if (calibration_.finished()) {
    QDialog::reject();
    return;
  }
  calibration_.closeRequested();
}

void TCalibrateForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) calibration_.activated();
}

void TCalibrateForm::closeEvent(QCloseEvent* event) {
  if (calibration_.finished()) {
    QDialog::closeEvent(event);
    return;
  }
  event->ignore();
  calibration_.closeRequested();
}

char TCalibrateForm::decimalSeparator() const { return ui::DecimalSeparator(); }

CalibrationMode TCalibrateForm::selectedMode() const {
  if (ZeroCurrent->isChecked()) return CalibrationMode::ZeroCurrent;
  if (Coil_A->isChecked()) return CalibrationMode::CoilA;
  if (Coil_B->isChecked()) return CalibrationMode::CoilB;
  return CalibrationMode::NotActive;
}

std::string TCalibrateForm::currentText() const { return Calibration_Curr->text().toStdString(); }

void TCalibrateForm::showSignal(const std::string& text) { LVDT_Voltage->setText(QString::fromStdString(text)); }

void TCalibrateForm::showError(const std::string& text) { ui::ShowEscapedError(QString::fromStdString(text)); }

void TCalibrateForm::showWarning(const std::string& text, const std::string& caption) {
  ui::CurrentPrompts().message(this, DesignText(text.c_str()), DesignText(caption.c_str()), ui::Prompts::Icon::Warning);
}

void TCalibrateForm::showClosing() {
  NotActive->setChecked(true);
  for (QWidget* w :
       std::initializer_list<QWidget*>{NotActive, ZeroCurrent, Coil_A, Coil_B, Calibration_Curr, SendCalibration, Done})
    w->setEnabled(false);
}

void TCalibrateForm::closeDialog() {
  Timer1->stop();
  done(QDialog::Accepted);
}

void OpenCalibrationDialog(link::Port& port, QWidget* parent) {
  TCalibrateForm form(port, parent);
  form.exec();
}

}  // namespace tvx::service
