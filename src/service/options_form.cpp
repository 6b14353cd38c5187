#include "service/options_form.h"

#include "app/definitions.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/register_map.h"
#include "ui/application.h"
#include "ui/number_fields.h"
#include "ui/numeric_key_filter.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

namespace tvx::service {

TOptionsForm* OptionsForm = nullptr;

using ui::DesignText;

namespace {

struct Option {
  QCheckBox* TOptionsForm::*member;
  const char* name;
  const char* caption;
  const char* hint;  // nullptr: chosen at creation
  std::uint16_t tag;
};

const Option Options[] = {
    {&TOptionsForm::Enable_PID2, "Enable_PID2", "regulator PID V2 dla LVDT 3P",
     " Nowy regulator PID dla rozdzielacza 3-położeniowego z czujnikiem LVDT ", 0x0200},
    {&TOptionsForm::XPID_LVDT, "XPID_LVDT", "dynamiczny regulator PID w pobliżu zera LVDT",
     " Wartość współczynników Kp i Ki regulatora PID dla LVDT korygowana w pobliżu położenia zerowego ", 0x0200},
    {&TOptionsForm::Dynamic_PID_Mode, "Dynamic_PID_Mode", "dynamiczny regulator PID dla dużego błędu",
     " Wartość współczynników Kp i Ki regulatora PID korygowana dla dużego błędu regulacji ", 0x0200},
    {&TOptionsForm::New_Ki_Limits, "New_Ki_Limits", "ograniczanie składnika PID Integrator",
     " Elastyczne ograniczanie składowej I regulatora PID, ze zmiennym Kp i Ki po przekroczeniu Imax ", 0x0200},
    {&TOptionsForm::No_Filter_Delay, "No_Filter_Delay", "szybka filtracja krytycznych wejść regulatora PID",
     " Krytyczne wejścia regulatora PID filtrowane bez opóźnienia pogarszającego dynamikę regulacji ", 0x0200},
    {&TOptionsForm::MedianFilter, "MedianFilter", "filtracja z użyciem mediany",
     " Filtr wartości mierzonych oparty na medianie ", 0x0200},
    {&TOptionsForm::LowPowerHold, "LowPowerHold", "wstrzymanie dla Uzas < limit",
     " Wstrzymanie pracy rozdzielacza dla zbyt niskiego napięcia zasilania ", 0x0200},
    {&TOptionsForm::SetValDacMode, "SetValDacMode", "monitor prądu uwzględnia tylko znak wartości zadanej",
     " Dla rozdzielacza 3P znak wartości zadanej wybiera monitorowany elektromagnes ", 0x3200},
    {&TOptionsForm::Report_DAC, "Report_DAC", "na wykresach wyjście DAC zamiast LVDT",
     " Rejestrator przebiegów pokazuje stan wyjścia DAC zamiast położenia LVDT ", 0x0200},
    {&TOptionsForm::Filter_DAC, "Filter_DAC", "cyfrowe wygładzanie wyjścia DAC",
     " Sygnał na wyjściu DAC wygładzony cyfrowo ", 0x0200},
    {&TOptionsForm::Q51_PWM_Sequence, "Q51_PWM_Sequence", "stopień mocy włączany / wyłączany sekwencyjnie", nullptr,
     0x3200},
    {&TOptionsForm::IWDT_Enabled, "IWDT_Enabled", "mechanizm IWDT Watchdog mikroprocesora aktywny",
     " Uaktywnione dodatkowe zabezpieczenie przed zawieszeniem się algorytmu sterowania ", 0x3200},
    {&TOptionsForm::Ramp_Set_Val_Delay, "Ramp_Set_Val_Delay", "zwłoka rampy dla zmiany wartości zadanej ",
     " Dla aktywnej rampy wejścia wartości zadanych skanowane z przyjętą zwłoką ", 0x0200},
    {&TOptionsForm::Dither_Mode, "Dither_Mode", "mechanizm Dither aktywny, ",
     " Przebieg PWM modulowany sygnałem typu Dither o podanej częstotliwości i amplitudzie ", 0x0100},
    {&TOptionsForm::Dither_DAC_Average, "Dither_DAC_Average", "uśrednianie wyjścia DAC",
     " Monitor prądu pokazuje wartość średnią za okres mechanizmu Dither ", 0x0200},
};

constexpr const char* DitherHint =
    " Przebieg PWM modulowany sygnałem typu Dither o podanej częstotliwości i amplitudzie ";
constexpr const char* TextHint = " Maksymalnie 40 dowolnych znaków ";

QString SequenceHint(bool boardVariant) {
  return DesignText(boardVariant
                        ? " Po każdej zmianie stanu sygnału  ENABLE  tranzystor Q5 i sterowanie \r elektromagnesami "
                          "włączane i wyłączane zgodnie z określoną sekwencją "
                        : " Po każdej zmianie stanu sygnału  ENABLE  tranzystor Q1 i sterowanie \r elektromagnesami "
                          "włączane i wyłączane zgodnie z określoną sekwencją ");
}

}  // namespace

TOptionsForm::TOptionsForm(QWidget* parent) : QDialog(parent) {
  OptionsForm = this;
  setObjectName(QStringLiteral("OptionsForm"));
  setWindowTitle(DesignText(" Opcje konfiguracji rozdzielacza"));
  setFixedSize(440, 432);
  auto& f = components_;
  constexpr int Step = 20;
  constexpr int FieldX = 290;  // the number fields line up in one column
  int row = 0;
  for (const Option& o : Options) {
    const QString hint = o.hint ? DesignText(o.hint) : SequenceHint(app::BoardVariant);
    QCheckBox* box = ui::MakeCheckBox(f, this, o.name, {12, 12 + Step * row, 0, 19}, DesignText(o.caption), hint);
    box->adjustSize();
    box->resize(box->width(), 19);
    this->*o.member = box;
    ++row;
    if (o.member == &TOptionsForm::SetValDacMode) {
      // A thin label over the box carries the same hint.
      Label6 = ui::MakeLabel(f, this, "Label6", {10, box->y(), 3, 19}, QString(), hint);
    } else if (o.member == &TOptionsForm::Ramp_Set_Val_Delay) {
      Ramp_Start_Delay = ui::MakeEdit(f, this, "Ramp_Start_Delay",
                                      {qMax(FieldX, box->x() + box->width() + 6), box->y() - 1, 44, 21}, 4,
                                      QStringLiteral("100"));
      Ramp_Delay_Units = ui::MakeLabel(f, this, "Ramp_Delay_Units", Ramp_Start_Delay->geometry().right() + 5,
                                       box->y() + 2, DesignText("ms"));
    } else if (o.member == &TOptionsForm::Dither_Mode) {
      const int x = qMax(FieldX - 90, box->x() + box->width() + 2);
      Label1 = ui::MakeLabel(f, this, "Label1", x, box->y() + 2, DesignText("amplituda pwm"), DesignText(DitherHint));
      Dither_Ampl = ui::MakeEdit(f, this, "Dither_Ampl", {x + 90, box->y() - 1, 44, 21}, 4, QStringLiteral("100"),
                                 DesignText(" Amplituda przebiegu nakładanego na wyjścia PWM "));
      const int y = 12 + Step * row++;
      Label2 = ui::MakeLabel(f, this, "Label2", x, y + 2, DesignText("częstotliwość"));
      Dither_Freq = ui::MakeEdit(f, this, "Dither_Freq", {x + 90, y - 1, 44, 21}, 4, QStringLiteral("100"),
                                 DesignText(" Częstotliwość przebiegu nakładanego na wyjścia PWM "));
      Label3 = ui::MakeLabel(f, this, "Label3", x + 139, y + 2, DesignText("Hz"));
    }
  }
  int y = 12 + Step * row + 12;
  Label4 = ui::MakeLabel(f, this, "Label4", 12, y + 3, DesignText("Rodzaj rozdzielacza:"));
  Device_Type = ui::MakeEdit(f, this, "Device_Type", {130, y, 296, 21}, 40, QString(), DesignText(TextHint));
  y += 28;
  Label5 = ui::MakeLabel(f, this, "Label5", 12, y + 3, DesignText("Numer seryjny:"));
  Serial_Number = ui::MakeEdit(f, this, "Serial_Number", {130, y, 296, 21}, 40, QString(), DesignText(TextHint));
  y += 38;
  SendConfig = ui::MakeButton(f, this, "SendConfig", {254, y, 80, 25}, DesignText("  OK "));
  Cancel = ui::MakeButton(f, this, "Cancel", {346, y, 80, 25}, DesignText(" Anuluj  "));
  setFixedSize(440, y + 37);
  connect(SendConfig, &QPushButton::clicked, this, [this] { ui::RunGuarded([this] { SendConfigClick(); }); });
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  for (const Option& o : Options) {
    QCheckBox* box = this->*o.member;
    connect(box, &QCheckBox::toggled, this, [this, box] { ui::RunGuarded([this, box] { OptionClick(box); }); });
  }
  connect(Dither_Ampl, &QLineEdit::textChanged, this, [this] { Dither_AmplChange(); });
  connect(Dither_Freq, &QLineEdit::textChanged, this, [this] { Dither_FreqChange(); });

  for (QLineEdit* field : {Ramp_Start_Delay, Dither_Ampl, Dither_Freq}) ui::InstallNumericKeyFilter(field);
  AssignAccessTags();
}

TOptionsForm::~TOptionsForm() {
  if (OptionsForm == this) OptionsForm = nullptr;
}

void TOptionsForm::AssignAccessTags() {
  for (const Option& o : Options) components_.setTag(QString::fromLatin1(o.name), o.tag);
  components_.setTag(QStringLiteral("Label6"), 0x3200);
  components_.setTag(QStringLiteral("Ramp_Start_Delay"), 0x0200);
  components_.setTag(QStringLiteral("Ramp_Delay_Units"), 0x0200);
  components_.setTag(QStringLiteral("Dither_Ampl"), 0x0100);
  components_.setTag(QStringLiteral("Dither_Freq"), 0x0100);
  components_.setTag(QStringLiteral("Device_Type"), 0x2100);
  components_.setTag(QStringLiteral("Serial_Number"), 0x2100);
}

void TOptionsForm::ApplyAccessRules() { components_.apply(ui::CurrentAccessStates()); }

void TOptionsForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TOptionsForm::showEvent(QShowEvent* event) {
  pwmReadFailed_ = false;
  QDialog::showEvent(event);
}

void TOptionsForm::FormActivate() {
  ApplyAccessRules();
  DitherAtActivation = Dither_Mode->isChecked();
  if (pwmReadFailed_) return;  // back from the error message of this showing
  try {
    PwmMaximum = params::PwmMaxOf(link::ReadRegister(params::state::PwmMaxAndEnables));
  } catch (const link::UsbError&) {
    // Reported by CommError already.
    pwmReadFailed_ = true;
    PwmMaximum = params::kDefaultPwmMax;
  }
}

void TOptionsForm::OptionClick(QCheckBox* box) {
  if (!isActiveWindow()) return;  // set by the parameter read
  const params::OptionBox* option = params::FindOptionBox(box->objectName().toStdString());
  if (!option) return;
  link::SendCommand(option->command, params::YesNoToWord(box->isChecked()));
}

void TOptionsForm::Dither_AmplChange() {
  if (!isActiveWindow()) return;
  if (const auto red = params::DitherAmplitudeRed(Dither_Ampl->text().toStdString(), PwmMaximum))
    ui::SetFieldRed(Dither_Ampl, *red);
}

void TOptionsForm::Dither_FreqChange() {
  if (const auto red = params::DitherFrequencyRed(Dither_Freq->text().toStdString()))
    ui::SetFieldRed(Dither_Freq, *red);
}

void TOptionsForm::SendConfigClick() {
  if (params::OptionsOkSetsDitherPwm(DitherAtActivation, Dither_Mode->isChecked(), app::AccessLevel))
    emit DitherPwmRequested();
  accept();
}

void TOptionsForm::SendSettings() {
  for (QLineEdit* field : {Ramp_Start_Delay, Dither_Ampl, Dither_Freq}) {
    const params::ParameterRegister* row = params::FindParameterByField(field->objectName().toStdString());
    link::WriteRegister(row->number, params::FieldWord(*row, field->text().toStdString()));
  }
  // One byte per character; the valve's texts are single-byte.
  const auto sendText = [](const QLineEdit* field, int firstCommand) {
    const QByteArray bytes = field->text().toLatin1();
    const auto words = params::TextToWords(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (int k = 0; k < params::kTextWords; ++k) link::SendCommand(firstCommand + k, words[static_cast<std::size_t>(k)]);
  };
  sendText(Serial_Number, params::cmd::SerialNumberFirst);
  sendText(Device_Type, params::cmd::DeviceTypeFirst);
}

}  // namespace tvx::service
