// TPgm: reading the parameter set from the valve, sending it back (with or
// without storing it in the valve's EEPROM) and resetting the valve.
#include "app/definitions.h"
#include "app/main_window.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/protocol.h"
#include "params/config_word.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/register_map.h"
#include "service/options_form.h"
#include "ui/application.h"
#include "ui/number_fields.h"
#include "ui/prompts.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <array>
#include <cfenv>
#include <exception>
#include <stdexcept>
#include <string>

namespace tvx::app {

namespace {

using params::Holder;

constexpr const char* ConfigWriteError = " Błąd zapisu konfiguracji do pamięci nieulotnej rozdzielacza!   ";
constexpr const char* ConfigWriteCaption = " Błąd konfiguracji";

// Values read from the valve may be any bit pattern: a NaN or an infinity must
// show as a text and never stop the read. Floating-point exceptions are masked
// by default on our targets (x86-64 Linux and Windows start every thread that
// way), but a foreign library may unmask them; the non-stop mode set here
// keeps them masked for the rest of the run.
void MaskFloatingPointExceptions() {
  std::fenv_t environment;
  std::feholdexcept(&environment);
}

// The options dialog holds the options, the dither and ramp numbers and the
// two texts; the program creates it right after the main window.
service::TOptionsForm& OptionsStore() {
  if (!service::OptionsForm) throw std::logic_error("The options dialog does not exist");
  return *service::OptionsForm;
}

QString TextOfBytes(const std::string& bytes) { return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())); }

}  // namespace

void TPgm::ConnectParameterHandlers() {
  auto guarded = [this](auto handler) { return [this, handler] { ui::RunGuarded(handler); }; };
  connect(SendParameters, &QPushButton::clicked, this, guarded([this] { SendWriteParamsClick(SendParameters); }));
  connect(WriteParameters, &QPushButton::clicked, this, guarded([this] { SendWriteParamsClick(WriteParameters); }));
  connect(Reset, &QPushButton::clicked, this, guarded([this] { ResetClick(); }));

  // Modes and the checks of the parameter fields (main_window_modes.cpp).
  connect(Positions_3, &ui::Label::clicked, this, guarded([this] { Positions_3Click(Positions_3); }));
  connect(Voltage_Mode, &ui::Label::clicked, this, guarded([this] { Voltage_ModeClick(Voltage_Mode); }));
  connect(LVDT_Mode, &ui::Label::clicked, this, guarded([this] { LVDTClick(LVDT_Mode); }));
  connect(Device_Type, &ui::Label::clicked, this, guarded([this] { Positions_3Click(Device_Type); }));
  connect(LVDT_CrossWire, &QCheckBox::toggled, this, guarded([this] { LVDT_CrossWireClick(); }));
  for (QLineEdit* field : {Coil_A_Imin, Coil_A_Imax, Coil_B_Imin, Coil_B_Imax})
    connect(field, &QLineEdit::textChanged, this, guarded([this, field] { Coil_I_Change(field); }));
  for (QPushButton* button : {Coil_A_Gain, Coil_B_Gain})
    connect(button, &QPushButton::clicked, this, guarded([this, button] { Coil_GainClick(button); }));
  connect(I_Limit, &QLineEdit::textChanged, this, guarded([this] { I_LimitChange(I_Limit); }));
  connect(DAC_Imax, &QLineEdit::textChanged, this, guarded([this] { DAC_ImaxChange(DAC_Imax); }));
  connect(PWM, &QLineEdit::textChanged, this, guarded([this] { PWMChange(); }));

  // Remote control, the set-value bar and the switch check boxes
  // (main_window_remote.cpp).
  connect(RemoteControl, &QCheckBox::toggled, this, guarded([this] { RemoteControlClick(); }));
  connect(Set_Bar, &QSlider::valueChanged, this, guarded([this] { Set_BarChange(); }));
  connect(EnableDAC_Override, &QCheckBox::toggled, this, guarded([this] { EnableDAC_OverrideClick(); }));
  connect(EnableBreakpoint, &QCheckBox::toggled, this, guarded([this] { EnableBreakpointClick(); }));
  connect(ServiceMode, &QCheckBox::toggled, this, guarded([this] { ServiceModeClick(); }));
  connect(ServiceOptions, &QPushButton::clicked, this, guarded([this] { ServiceOptionsClick(); }));
}

void TPgm::SetCheckedAndReact(QCheckBox* box, bool checked, void (TPgm::*reaction)()) {
  if (box->isChecked() == checked) return;
  {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
  }
  (this->*reaction)();
}

ui::ValveField* TPgm::ParameterField(std::string_view name) const {
  const QString n = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
  if (auto* field = qobject_cast<ui::ValveField*>(components_.object(n))) return field;
  if (service::OptionsForm) {
    if (auto* field = qobject_cast<ui::ValveField*>(service::OptionsForm->components().object(n))) return field;
  }
  throw std::logic_error("No field " + std::string(name));
}

// ---- reading ---------------------------------------------------------------------

void TPgm::ReadParametersClick() {
  MaskFloatingPointExceptions();
  for (QWidget* w : std::initializer_list<QWidget*>{SendParameters, ReadParameters, WriteParameters, AutoMode,
                                                    SendSetValue, ShowChart, Solenoid_A_GBox, Solenoid_B_GBox})
    w->setEnabled(false);

  std::exception_ptr failure;
  try {
    ReadParameterSteps();
  } catch (...) {
    failure = std::current_exception();
  }

  // Always, also after a failed read.
  if (FirstReadPending) {
    FirstReadPending = false;
    // The first read of the run is followed by one status refresh. The
    // button's own handler reports a failure of the refresh, so the rest of
    // this step still runs.
    InfoRefresh->click();
  }
  FirstReadPending = false;
  for (QPushButton* b : {SendParameters, ReadParameters, WriteParameters}) b->setEnabled(true);
  AutoMode->setEnabled(RemoteControl->isChecked() && VoltageInput());
  SendSetValue->setEnabled(RemoteControl->isChecked());
  for (QWidget* w : std::initializer_list<QWidget*>{ShowChart, Solenoid_A_GBox, Solenoid_B_GBox}) w->setEnabled(true);
  ApplyAccessRules();

  if (failure) std::rethrow_exception(failure);
}

void TPgm::ReadParameterSteps() {
  std::array<std::uint8_t, proto::ParameterBlockLength> block{};
  link::ReadBlock(params::state::ParameterBlock, block.data());
  const auto words = params::DecodeParameterBlock(block);
  auto word = [&](int reg) { return words[static_cast<std::size_t>(reg - 1)]; };

  ReadConfigurationWord(word(params::reg::Configuration));

  // Words to fields and held values. Writing a field runs its change check.
  const char sep = ui::DecimalSeparator();
  for (int reg : params::ReadOrder) {
    const params::ParameterRegister* row = params::FindParameter(reg);
    if (row->holder == Holder::Held) {
      *Held.WordOf(reg) = word(reg);
      continue;
    }
    if (row->holder == Holder::OptionsDialog && !service::OptionsForm) continue;
    ui::ValveField* field = ParameterField(row->field);
    field->setValveText(QString::fromStdString(params::FieldText(*row, word(reg), sep)), word(reg));
    field->setCursorPosition(0);  // a text wider than its field shows its beginning
  }

  SetCheckedAndReact(RemoteControl, link::ReadRegister(params::state::RemoteControl) == proto::MarkerTrue,
                     &TPgm::RemoteControlClick);
  ReadSetValue();

  const std::uint32_t dac = link::ReadRegister(params::state::DAC_Value);
  DAC_Value->setValveText(QString::number(dac), dac);
  SetCheckedAndReact(EnableDAC_Override, link::ReadRegister(params::state::DacOverride) == proto::MarkerTrue,
                     &TPgm::EnableDAC_OverrideClick);
  DebugPanel->setText(QString::number(link::ReadRegister(params::state::DebugNumber)));

  const params::ProfileCaption profile = params::ProfileFromRegister(link::ReadRegister(params::state::ActiveProfile));
  CurrentProfile = profile.number;
  SelectSetup->setText(QString::fromStdString(profile.caption));
  SelectSetup->setEnabled(profile.enabled);

  ShowFirmware(link::ReadRegister(params::state::Firmware));
  BoardVariant = link::ReadRegister(params::state::BoardVariant) == proto::MarkerTrue;
  In2Present = link::ReadRegister(params::state::In2Present) == proto::MarkerTrue;

  const QString serial = TextOfBytes(link::ReadSerialNumber());
  const QString type = TextOfBytes(link::ReadDeviceType());
  if (service::OptionsForm) {
    service::OptionsForm->Serial_Number->setText(serial);
    service::OptionsForm->Device_Type->setText(type);
  }
  Device_Type->setText(service::OptionsForm ? service::OptionsForm->Device_Type->text() : type);
  CentreDeviceType();
}

void TPgm::ReadConfigurationWord(std::uint32_t word) {
  const params::ConfigWord c = params::ConfigWord::Decode(word);
  SetThreePositions(c.positions3);
  Positions_3Click(this);
  SetVoltageInput(c.voltageMode);
  Voltage_ModeClick(this);
  SetLvdtFitted(c.lvdtMode);
  LVDTClick(this);
  // Its own reaction clears the box again without an LVDT.
  SetCheckedAndReact(LVDT_CrossWire, c.lvdtCrossWire, &TPgm::LVDT_CrossWireClick);

  // The options dialog sends nothing while it is not the active window.
  if (service::TOptionsForm* options = service::OptionsForm) {
    for (const params::OptionBox& box : params::OptionBoxes) {
      if (auto* check = qobject_cast<QCheckBox*>(options->components().object(QString::fromLatin1(box.name.data(),
                                                                                                 box.name.size()))))
        check->setChecked(c.Get(box.bit));
    }
  }
  Held.TakeFlags(c);
  SetCheckedAndReact(ServiceMode, c.serviceMode, &TPgm::ServiceModeClick);
  // Bit 21 is ignored: remote control comes from state register 1.
}

void TPgm::ReadSetValue() {
  // Anything failing here leaves the bar at 0 and the read goes on.
  try {
    const float value = link::ReadRegisterFloat(params::state::SetValue);
    Set_Bar->setValue(params::SetBarPosition(value));
    Set_Val->setText(ui::FixedText(value, 3));
  } catch (const std::exception&) {
    Set_Bar->setValue(0);
  }
}

void TPgm::CentreDeviceType() {
  QFont bold = font();
  bold.setBold(true);
  const int width = QFontMetrics(bold).horizontalAdvance(Device_Type->text());
  Device_Type->adjustSize();
  Device_Type->move(params::CentredLeft(DeviceType->width(), width), Device_Type->y());
}

// ---- sending ---------------------------------------------------------------------

void TPgm::SendWriteParamsClick(QObject* sender) {
  const std::array<QPushButton*, 3> buttons{SendParameters, ReadParameters, WriteParameters};
  for (QPushButton* b : buttons) b->setEnabled(false);
  try {
    SendParameterSet(sender && sender->objectName() == QLatin1String("WriteParameters"));
  } catch (...) {
    for (QPushButton* b : buttons) b->setEnabled(true);
    throw;
  }
  for (QPushButton* b : buttons) b->setEnabled(true);
}

void TPgm::SendParameterSet(bool store) {
  service::TOptionsForm& options = OptionsStore();

  params::ConfigWord c;
  c.positions3 = ThreePositions();
  c.voltageMode = VoltageInput();
  c.lvdtMode = LvdtFitted();
  c.lvdtCrossWire = LVDT_CrossWire->isChecked();
  for (const params::OptionBox& box : params::OptionBoxes) {
    auto* check =
        qobject_cast<QCheckBox*>(options.components().object(QString::fromLatin1(box.name.data(), box.name.size())));
    c.Set(box.bit, check && check->isChecked());
  }
  Held.PutFlags(c);
  c.remoteControl = RemoteControl->isChecked();
  c.serviceMode = ServiceMode->isChecked();
  const std::uint32_t word = c.Build();

  link::WriteRegister(params::reg::Configuration, word);
  if (link::ReadParameter(params::reg::Configuration) != word) {
    ui::CurrentPrompts().message(this, QString::fromUtf8(ConfigWriteError), QString::fromUtf8(ConfigWriteCaption),
                                 ui::Prompts::Icon::Error);
  }

  // Each value is converted just before its write: a field that does not
  // convert stops the send there, after the writes before it.
  for (int reg : params::SendOrder) {
    const params::ParameterRegister* row = params::FindParameter(reg);
    std::uint32_t value;
    if (row->holder == Holder::Held) {
      value = *Held.WordOf(reg);
    } else {
      value = params::FieldWord(*row, ParameterField(row->field)->value());
    }
    link::WriteRegister(reg, value);
  }

  if (store) link::SendCommand(params::cmd::StoreParameters, proto::OneShot);
}

void TPgm::ResetClick() {
  SetCheckedAndReact(RemoteControl, false, &TPgm::RemoteControlClick);
  SendSetValue->setEnabled(false);
  AutoMode->setEnabled(false);
  link::SendCommand(params::cmd::ResetValve, proto::OneShot);
  DisConnect->click();
}

}  // namespace tvx::app
