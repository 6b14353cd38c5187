#include "service/options_form.h"

#include "link/comm_error.h"
#include "params/config_word.h"
#include "params/derived.h"
#include "params/register_map.h"
#include "params/valve_state.h"
#include "service/history_setting_form.h"
#include "service/options_settings.h"
#include "ui/application.h"
#include "ui/checked_dialog.h"
#include "ui/number_fields.h"
#include "ui/numeric_key_filter.h"
#include "ui/prompts.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace tvx::service {

TOptionsForm* OptionsForm = nullptr;

using ui::DesignText;

namespace {

// The check boxes in their order from top to bottom; names, captions, hints,
// commands, bits and tags come from the register map.
struct Option {
  QCheckBox* TOptionsForm::*member;
  const params::OptionBox& box;
};

const params::OptionBox& Box(std::string_view name) { return *params::FindOptionBox(name); }

const Option Options[] = {
    {&TOptionsForm::Enable_PID2, Box("Enable_PID2")},
    {&TOptionsForm::XPID_LVDT, Box("XPID_LVDT")},
    {&TOptionsForm::Dynamic_PID_Mode, Box("Dynamic_PID_Mode")},
    {&TOptionsForm::New_Ki_Limits, Box("New_Ki_Limits")},
    {&TOptionsForm::No_Filter_Delay, Box("No_Filter_Delay")},
    {&TOptionsForm::MedianFilter, Box("MedianFilter")},
    {&TOptionsForm::LowPowerHold, Box("LowPowerHold")},
    {&TOptionsForm::SetValDacMode, Box("SetValDacMode")},
    {&TOptionsForm::Report_DAC, Box("Report_DAC")},
    {&TOptionsForm::Filter_DAC, Box("Filter_DAC")},
    {&TOptionsForm::Q51_PWM_Sequence, Box("Q51_PWM_Sequence")},
    {&TOptionsForm::IWDT_Enabled, Box("IWDT_Enabled")},
    {&TOptionsForm::Ramp_Set_Val_Delay, Box("Ramp_Set_Val_Delay")},
    {&TOptionsForm::Dither_Mode, Box("Dither_Mode")},
    {&TOptionsForm::Dither_DAC_Average, Box("Dither_DAC_Average")},
};

QString Text(std::string_view text) { return ui::FromUtf8(text); }

constexpr const char* DitherHint =
    " Przebieg PWM modulowany sygnałem typu Dither o podanej częstotliwości i amplitudzie ";
constexpr const char* TextHint = " Maksymalnie 40 dowolnych znaków ";

}  // namespace

TOptionsForm::TOptionsForm(link::Port& port, QWidget* parent, bool boardVariant) : CheckedDialog(parent), port_(port) {
  OptionsForm = this;
  setObjectName(QStringLiteral("OptionsForm"));
  setWindowTitle(DesignText(" Opcje konfiguracji rozdzielacza"));
  setFixedSize(440, 432);
  auto& f = components_;
  constexpr int Step = 20;
  constexpr int FieldX = 290;  // the number fields line up in one column
  int row = 0;
  for (const Option& o : Options) {
    const QString hint = o.box.hint.empty() ? Text(params::Q51SequenceHint(boardVariant)) : Text(o.box.hint);
    QCheckBox* box = ui::MakeCheckBox(f, this, std::string(o.box.name).c_str(), {12, 12 + Step * row, 0, 19},
                                      Text(o.box.caption), hint);
    box->adjustSize();
    box->resize(box->width(), 19);
    this->*o.member = box;
    ++row;
    if (o.member == &TOptionsForm::SetValDacMode) {
      // A thin label over the box carries the same hint.
      Label6 = ui::MakeLabel(f, this, "Label6", {10, box->y(), 3, 19}, QString(), hint);
    } else if (o.member == &TOptionsForm::Ramp_Set_Val_Delay) {
      Ramp_Start_Delay =
          ui::MakeEdit(f, this, "Ramp_Start_Delay", {qMax(FieldX, box->x() + box->width() + 6), box->y() - 1, 44, 21},
                       4, QStringLiteral("100"));
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
  y += 28;
  HistoryDatabase = AddHistoryDatabaseRow(this, y);
  y += 38;
  SendConfig = ui::MakeButton(f, this, "SendConfig", {254, y, 80, 25}, DesignText("  OK "));
  Cancel = ui::MakeButton(f, this, "Cancel", {346, y, 80, 25}, DesignText(" Anuluj  "));
  setFixedSize(440, y + 37);
  connect(SendConfig, &QPushButton::clicked, this, ui::Guarded(this, &TOptionsForm::SendConfigClick));
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  for (const Option& o : Options) {
    QCheckBox* box = this->*o.member;
    connect(box, &QCheckBox::toggled, this, ui::Guarded([this, box] { OptionClick(box); }));
  }
  connect(Dither_Ampl, &QLineEdit::textChanged, this, [this] { Dither_AmplChange(); });
  connect(Dither_Freq, &QLineEdit::textChanged, this, [this] { Dither_FreqChange(); });

  for (ui::ValveField* field : {Ramp_Start_Delay, Dither_Ampl, Dither_Freq}) ui::InstallNumericKeyFilter(field);
  setOkCheck([this] {
    checked_ = CheckOptionSettings(Settings(), ui::CurrentPrompts(), [this](std::string_view field) {
      ui::FocusFailedField(qobject_cast<QLineEdit*>(
          components_.object(QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())))));
    });
    return checked_.has_value();
  });
  AssignAccessTags();
  ui::SetReadingTabOrder(this);
}

TOptionsForm::~TOptionsForm() {
  if (OptionsForm == this) OptionsForm = nullptr;
}

void TOptionsForm::AssignAccessTags() {
  for (const Option& o : Options)
    components_.setTag(QString::fromLatin1(o.box.name.data(), static_cast<int>(o.box.name.size())), o.box.tag);
  for (const params::OptionsDialogTag& t : params::OptionsDialogTags)
    components_.setTag(QString::fromLatin1(t.name.data(), static_cast<int>(t.name.size())), t.tag);
}

void TOptionsForm::ApplyAccessRules() { components_.apply(ui::CurrentAccessStates()); }

void TOptionsForm::changeEvent(QEvent* event) {
  CheckedDialog::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (!isActiveWindow()) {
    // Qt has already made the next window active: none means the user went
    // to another application.
    leftForOtherApplication_ = QApplication::activeWindow() == nullptr;
    return;
  }
  // The activation reactions run when the dialog becomes the program's active
  // window, not when the user comes back from another application.
  if (leftForOtherApplication_) {
    leftForOtherApplication_ = false;
    return;
  }
  // Nor when the message of a failed OK closes: the dither state OK compares
  // with stays the one of this showing, and the focus on the failing field.
  if (activeAgainAfterFailedCheck()) return;
  FormActivate();
}

void TOptionsForm::showEvent(QShowEvent* event) {
  pwmReadFailed_ = false;
  checked_.reset();
  leftForOtherApplication_ = false;
  CheckedDialog::showEvent(event);
}

void TOptionsForm::FormActivate() {
  ApplyAccessRules();
  DitherAtActivation = Dither_Mode->isChecked();
  if (pwmReadFailed_) return;  // back from the error message of this showing
  try {
    PwmMaximum = ReadPwmMaximum(port_);
  } catch (const link::UsbError&) {
    // Reported by CommError already.
    pwmReadFailed_ = true;
    PwmMaximum = params::DefaultPwmMax;
  }
}

void TOptionsForm::OptionClick(QCheckBox* box) {
  if (!isActiveWindow()) return;  // set by the parameter read
  SendOptionSwitch(port_, box->objectName().toStdString(), box->isChecked());
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
  if (!okCheckPasses()) return;
  if (params::OptionsOkSetsDitherPwm(DitherAtActivation, Dither_Mode->isChecked(),
                                     ui::CurrentAccessStates().accessLevel))
    emit DitherPwmRequested();
  QDialog::accept();  // NOLINT(bugprone-parent-virtual-call): its check passed above, once
}

OptionSettings TOptionsForm::Settings() const {
  // One byte per character; the valve's texts are single-byte.
  return {Ramp_Start_Delay->value(),
          Dither_Ampl->value(),
          Dither_Freq->value(),
          Serial_Number->text().toLatin1().toStdString(),
          Device_Type->text().toLatin1().toStdString(),
          PwmMaximum,
          ui::DecimalSeparator()};
}

void TOptionsForm::SendSettings() {
  // What OK checked; without an OK of this showing, checked now.
  std::optional<CheckedOptionSettings> settings = std::exchange(checked_, std::nullopt);
  if (!settings) settings = CheckOptionSettings(Settings(), ui::CurrentPrompts());
  if (settings) SendCheckedOptionSettings(port_, *settings);
}

void TOptionsForm::showOptionBits(const params::ConfigWord& word) {
  // The boxes send nothing while the dialog is not the active window.
  for (const Option& o : Options) (this->*o.member)->setChecked(word.Get(o.box.bit));
}

void TOptionsForm::putOptionBits(params::ConfigWord& word) const {
  for (const Option& o : Options) word.Set(o.box.bit, (this->*o.member)->isChecked());
}

void TOptionsForm::setSerialNumber(const QString& text) { Serial_Number->setProgramText(text); }

void TOptionsForm::setDeviceType(const QString& text) { Device_Type->setProgramText(text); }

QString TOptionsForm::deviceType() const { return Device_Type->text(); }

bool TOptionsForm::ditherOn() const { return Dither_Mode->isChecked(); }

}  // namespace tvx::service
