// TPgm: the valve's configuration modes (positions, input signal, LVDT), what
// they change on the window, and the checks that run while the parameter
// fields are edited.
#include "app/definitions.h"
#include "app/main_window.h"
#include "params/derived.h"
#include "service/options_form.h"
#include "ui/number_fields.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <stdexcept>
#include <string>

namespace tvx::app {

namespace {

using ui::FromUtf8;

// Replaces every "." in a field by "," (writing the text back only when it
// changes, so the field's own change signal does not come again for nothing).
void DotsToCommas(QLineEdit* field) {
  QString text = field->text();
  if (!text.contains(QLatin1Char('.'))) return;
  text.replace(QLatin1Char('.'), QLatin1Char(','));
  field->setText(text);
}

// A caption that sizes its label (the labels are sized to their design captions).
void SetCaption(ui::Label* label, const QString& caption) {
  label->setText(caption);
  label->adjustSize();
}

}  // namespace

// ---- mode labels -------------------------------------------------------------------

void TPgm::Positions_3Click(QObject* sender) {
  if (sender == Positions_3) SetThreePositions(!ThreePositions());
  SetCaption(Positions_3, FromUtf8(params::ModeCaption(params::Mode::Positions3, ThreePositions())));
  MainConfigurationClick();
}

void TPgm::Voltage_ModeClick(QObject* sender) {
  if (sender == Voltage_Mode) SetVoltageInput(!VoltageInput());
  SetCaption(Voltage_Mode, FromUtf8(params::ModeCaption(params::Mode::VoltageInput, VoltageInput())));
  MainConfigurationClick();
}

void TPgm::LVDTClick(QObject* sender) {
  if (sender == LVDT_Mode) SetLvdtFitted(!LvdtFitted());
  SetCaption(LVDT_Mode, FromUtf8(params::ModeCaption(params::Mode::Lvdt, LvdtFitted())));
  const QColor colour = LvdtFitted() ? QColor(Qt::blue) : palette().color(QPalette::WindowText);
  LVDT_Mode->setFontColor(colour);
  ui::SetTextColour(LVDT_CrossWire, colour);
  LVDT_CrossWireClick();
  MainConfigurationClick();
}

void TPgm::LVDT_CrossWireClick() {
  if (!LvdtFitted() && LVDT_CrossWire->isChecked()) {
    const QSignalBlocker blocker(LVDT_CrossWire);
    LVDT_CrossWire->setChecked(false);
  }
}

void TPgm::MainConfigurationClick() {
  ApplyAccessRules();

  const bool voltage = VoltageInput();
  const params::SetValueScale scale = params::ScaleFor(voltage, ThreePositions());
  SetCaption(Set_Low, FromUtf8(scale.low));
  SetCaption(Set_Mid, FromUtf8(scale.mid));
  SetCaption(Set_Hi, FromUtf8(scale.high));
  // Minimum first: each step clamps the position into the range so far.
  Set_Bar->setMinimum(scale.barMin);
  Set_Bar->setMaximum(scale.barMax);
  for (ui::Label* l : {Gain_A_Label_I, Gain_B_Label_I}) SetCaption(l, FromUtf8(scale.gainUnitI));
  for (ui::Label* l : {Gain_A_Label_L, Gain_B_Label_L}) SetCaption(l, FromUtf8(scale.gainUnitL));
  SetCaption(IN2_Type_Label, FromUtf8(scale.in2Label));

  const QFontMetrics metrics(font());
  Info_IN2_Value->move(params::In2ValueLeft(voltage, metrics.horizontalAdvance(QStringLiteral("mA")),
                                            metrics.horizontalAdvance(QStringLiteral("V"))),
                       Info_IN2_Value->y());
  Info_IN2_Value->setText(QString::fromStdString(params::In2UnitText(Info_IN2_Value->text().toStdString(), voltage)));
  if (!voltage) AutoMode->setEnabled(false);  // the test signal exists for voltage input only
  SetMonitorRangeLabels(!voltage);

  if (!params::CrossWireUsable(ThreePositions(), LvdtFitted())) {
    LVDT_CrossWire->setEnabled(false);
    LVDT_CrossWire->setChecked(false);
  } else {
    LVDT_CrossWire->setEnabled(true);
  }

  Set_BarChange();
}

void TPgm::SetMonitorRangeLabels(bool current) {
  const QFontMetrics metrics(font());
  const auto labels = params::MonitorRangeLabels(
      current, [&](std::string_view text) { return metrics.horizontalAdvance(FromUtf8(text)); });
  Bottom->setText(QString::fromStdString(labels[0]));
  Zero->setText(QString::fromStdString(labels[1]));
  Top->setText(QString::fromStdString(labels[2]));
}

// ---- field checks --------------------------------------------------------------------

ui::ValveField* TPgm::ParameterField(std::string_view name) const {
  if (auto* field = qobject_cast<ui::ValveField*>(components_.object(ui::FromUtf8(name)))) return field;
  throw std::logic_error("No field " + std::string(name));
}

void TPgm::Coil_I_Change(QLineEdit* sender) {
  DotsToCommas(sender);
  const char coil = params::CoilOf(sender->objectName().toStdString());
  QLineEdit* imin = ParameterField(params::CoilFieldName(coil, "_Imin"));
  QLineEdit* imax = ParameterField(params::CoilFieldName(coil, "_Imax"));
  const params::CoilCurrentCheck check = params::CheckCoilCurrents(
      imin->text().toStdString(), imax->text().toStdString(), AccessLevel, ui::DecimalSeparator());
  if (check.stopped) return;
  ui::SetFieldRed(imin, check.red);
  ui::SetFieldRed(imax, check.red);
  if (check.iminText) imin->setText(QString::fromStdString(*check.iminText));
  if (check.imaxText) imax->setText(QString::fromStdString(*check.imaxText));
}

void TPgm::Coil_GainClick(QPushButton* sender) {
  const char coil = params::CoilOf(sender->objectName().toStdString());
  QLineEdit* imin = ParameterField(params::CoilFieldName(coil, "_Imin"));
  QLineEdit* imax = ParameterField(params::CoilFieldName(coil, "_Imax"));
  const params::GainCheck gain =
      params::ComputeCoilGain(imin->text().toStdString(), imax->text().toStdString(), LvdtFitted(), VoltageInput(),
                              ThreePositions(), ui::DecimalSeparator());
  ui::SetFieldRed(imax, gain.imaxRed);
  ui::SetFieldRed(imin, gain.iminRed);
  if (gain.gainText)
    ParameterField(params::GainFieldName(coil, gain.suffix))->setText(QString::fromStdString(*gain.gainText));
}

void TPgm::I_LimitChange(QLineEdit* sender) {
  DotsToCommas(sender);
  ui::SetFieldRed(sender, params::CurrentLimitFieldRed(sender->text().toStdString()));
}

void TPgm::DAC_ImaxChange(QLineEdit* sender) {
  DotsToCommas(sender);
  ui::SetFieldRed(sender, params::CurrentLimitFieldRed(sender->text().toStdString()));
}

void TPgm::PWMChange() {
  const bool dither = service::OptionsForm && service::OptionsForm->ditherOn();
  if (params::PwmForcedToDitherValue(isActiveWindow(), AccessLevel, dither))
    PWM->setText(FromUtf8(params::DitherPwmText));
  if (const auto red = params::PwmFieldRed(PWM->text().toStdString())) ui::SetFieldRed(PWM, *red);
}

void TPgm::SetDitherPwm() { PWM->setText(FromUtf8(params::DitherPwmText)); }

}  // namespace tvx::app
