#include "params/parameter_set.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/protocol.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/identity_text.h"
#include "params/out_of_range.h"
#include "params/plausible_words.h"
#include "params/register_map.h"

#include <array>
#include <exception>

namespace tvx::params {

namespace {

constexpr const char* ConfigWriteError = " Błąd zapisu konfiguracji do pamięci nieulotnej rozdzielacza!   ";
constexpr const char* ConfigWriteCaption = " Błąd konfiguracji";

bool Yes(link::Port& port, int stateRegister) { return link::ReadRegister(port, stateRegister) == proto::MarkerTrue; }

}  // namespace

void ShowConfigurationWord(ParameterView& view, ValveState& valve, std::uint32_t word) {
  const ConfigWord c = ConfigWord::Decode(word);
  view.setChecked("Positions_3", c.positions3);
  view.setChecked("Voltage_Mode", c.voltageMode);
  view.setChecked("LVDT_Mode", c.lvdtMode);
  // Its own reaction clears the box again without an LVDT.
  view.setChecked("LVDT_CrossWire", c.lvdtCrossWire);
  view.showOptionBits(c);
  valve.Held.TakeFlags(c);
  valve.HeldFlagsRead = true;
  view.setChecked("ServiceMode", c.serviceMode);
}

std::uint32_t ConfigurationWordOf(const ParameterView& view, const HeldParameters& held) {
  ConfigWord c;
  c.positions3 = view.isChecked("Positions_3");
  c.voltageMode = view.isChecked("Voltage_Mode");
  c.lvdtMode = view.isChecked("LVDT_Mode");
  c.lvdtCrossWire = view.isChecked("LVDT_CrossWire");
  view.putOptionBits(c);
  held.PutFlags(c);
  c.remoteControl = view.isChecked("RemoteControl");
  c.serviceMode = view.isChecked("ServiceMode");
  return c.Build();
}

namespace {

// Tells the change log which valve its lines are about.
void LogValve(std::uint32_t firmware, const std::string& serialNumber, const std::string& deviceType) {
  std::string firmwareText = FirmwareText(firmware);
  constexpr std::string_view FirmwarePrefix = "Firmware: ";
  if (firmwareText.starts_with(FirmwarePrefix)) firmwareText.erase(0, FirmwarePrefix.size());
  link::SetLoggedValve(serialNumber, deviceType, firmwareText);
}

}  // namespace

void ReadParameterSet(link::Port& port, ValveState& valve, ParameterView& view) {
  MaskFloatingPointExceptions();
  std::array<std::uint8_t, proto::ParameterBlockLength> block{};
  ReadParameterBlock(port, block.data());
  const auto words = DecodeParameterBlock(block);
  auto word = [&](int reg) { return words[static_cast<std::size_t>(reg - 1)]; };

  ShowConfigurationWord(view, valve, word(reg::Configuration));

  // Words to fields and held values. Filling a field runs its change check.
  const char sep = view.decimalSeparator();
  for (int reg : ReadOrder) {
    const ParameterRegister* row = FindParameter(reg);
    if (row->holder == Holder::Held) {
      *valve.Held.WordOf(reg) = word(reg);
      if (reg == reg::ErrorMask) valve.ErrorMaskKnown = true;
      continue;
    }
    if (row->holder == Holder::OptionsDialog && !view.hasComponent(row->field)) continue;
    view.setValveText(row->field, FieldText(*row, word(reg), sep), word(reg));
  }

  view.setChecked("RemoteControl", Yes(port, state::RemoteControl));
  // Anything failing here, the exchange included, leaves the bar at 0 and the
  // read goes on.
  try {
    view.setSetValue(link::ReadRegisterFloat(port, state::SetValue));
  } catch (const std::exception&) {
    view.clearSetValue();
  }

  const std::uint32_t dac = link::ReadRegister(port, state::DAC_Value);
  view.setValveText("DAC_Value", std::to_string(dac), dac);
  view.setChecked("EnableDAC_Override", Yes(port, state::DacOverride));
  view.setText("DebugPanel", std::to_string(link::ReadRegister(port, state::DebugNumber)));

  const ProfileCaption profile = ProfileFromRegister(link::ReadRegister(port, state::ActiveProfile));
  valve.CurrentProfile = profile.number;
  view.showProfile(profile);

  const std::uint32_t firmware = link::ReadRegister(port, state::Firmware);
  view.showFirmware(firmware);
  ReadHardwareFlags(port, valve);
  // Each text is shown as soon as it is read.
  const std::string serialNumber = link::ReadSerialNumber(port);
  view.showSerialNumber(serialNumber);
  const std::string deviceType = link::ReadDeviceType(port);
  view.showDeviceType(deviceType);
  LogValve(firmware, serialNumber, deviceType);
  // The valve history keeps the set, now that all of it was read.
  link::LogParameterRead(
      profile.number >= 1 && profile.number <= 3 ? std::optional<int>(static_cast<int>(profile.number)) : std::nullopt);
}

void ReadLoggedValve(link::Port& port) {
  const std::uint32_t firmware = link::ReadRegister(port, state::Firmware);
  const std::string serialNumber = link::ReadSerialNumber(port);
  LogValve(firmware, serialNumber, link::ReadDeviceType(port));
}

std::uint32_t ParameterView::pwmMaximum() const { return DefaultPwmMax; }

void ParameterView::showProfile(const ProfileCaption& profile) {
  setText("SelectSetup", profile.caption);
  setEnabled("SelectSetup", profile.enabled);
}

bool SendParameterSet(link::Port& port, const ValveState& valve, ParameterView& view, view::Questions& questions,
                      bool store) {
  // Every word before the first frame.
  const std::uint32_t word = ConfigurationWordOf(view, valve.Held);
  std::array<std::uint32_t, SendOrder.size()> values{};
  for (std::size_t i = 0; i < SendOrder.size(); ++i) {
    const ParameterRegister* row = FindParameter(SendOrder[i]);
    if (row->holder == Holder::Held) {
      values[i] = *valve.Held.WordOf(row->number);
      continue;
    }
    try {
      values[i] = FieldWord(*row, view.fieldValue(row->field));
    } catch (const link::ConversionError&) {
      view.showFailedField(row->field);
      throw;
    }
  }
  const FieldTexts text = [&view](std::string_view field) -> std::optional<std::string> {
    const ParameterRegister* row = FindParameterByField(field);
    if (row && row->holder == Holder::OptionsDialog && !view.hasComponent(field)) return std::nullopt;
    return view.fieldValue(field).text;
  };
  if (!SendOutOfRange(questions, OutOfRangeSetFields(text, view.isChecked("Positions_3"), view.pwmMaximum(),
                                                     view.decimalSeparator())))
    return false;

  link::ChangeLogScope logged(store ? "Zapisz" : "Prześlij");
  // Storing copies the working parameters into EEPROM and leaves them as they are.
  logged.CommandsKeepParameters();
  link::WriteRegister(port, reg::Configuration, word);
  if (link::ReadParameter(port, reg::Configuration) != word)
    questions.ask(ConfigWriteError, ConfigWriteCaption, view::Questions::Icon::Error);
  for (std::size_t i = 0; i < SendOrder.size(); ++i) link::WriteRegister(port, SendOrder[i], values[i]);
  if (store) link::SendCommand(port, cmd::StoreParameters, proto::OneShot);
  return true;
}

void ReadHardwareFlags(link::Port& port, ValveState& valve) {
  valve.BoardVariant = Yes(port, state::BoardVariant);
  valve.In2Present = Yes(port, state::In2Present);
}

void ResetValve(link::Port& port) {
  link::ChangeLogScope logged("Reset");
  link::SendCommand(port, cmd::ResetValve, proto::OneShot);
}

}  // namespace tvx::params
