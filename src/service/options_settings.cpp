#include "service/options_settings.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/out_of_range.h"
#include "params/register_map.h"

namespace tvx::service {

namespace {
constexpr const char* OptionsOperation = "Opcje";
// The number fields' registers, in the order they are sent.
constexpr int NumberRegisters[] = {params::reg::Ramp_Start_Delay, params::reg::Dither_Ampl, params::reg::Dither_Freq};
}  // namespace

void SendOptionSwitch(link::Port& port, std::string_view boxName, bool on) {
  if (const params::OptionBox* option = params::FindOptionBox(boxName)) {
    link::ChangeLogScope logged(OptionsOperation);
    link::SendCommand(port, option->command, params::YesNoToWord(on));
  }
}

std::uint32_t ReadPwmMaximum(link::Port& port) {
  return params::PwmMaxOf(link::ReadRegister(port, params::state::PwmMaxAndEnables));
}

std::optional<CheckedOptionSettings> CheckOptionSettings(const OptionSettings& settings, view::Questions& questions,
                                                         const FailedOptionField& failed) {
  const view::FieldValue* values[] = {&settings.rampStartDelay, &settings.ditherAmplitude, &settings.ditherFrequency};
  CheckedOptionSettings checked{{}, settings.serialNumber, settings.deviceType};
  for (std::size_t i = 0; i < std::size(NumberRegisters); ++i) {
    const params::ParameterRegister& row = *params::FindParameter(NumberRegisters[i]);
    try {
      checked.words[i] = params::FieldWord(row, *values[i]);
    } catch (const link::ConversionError&) {
      if (failed) failed(row.field);
      throw;
    }
  }
  const params::FieldTexts text = [&](std::string_view field) -> std::optional<std::string> {
    if (field == "Dither_Ampl") return settings.ditherAmplitude.text;
    if (field == "Dither_Freq") return settings.ditherFrequency.text;
    return std::nullopt;
  };
  if (!params::SendOutOfRange(questions,
                              params::OutOfRangeDitherFields(text, settings.pwmMaximum, settings.decimalSeparator)))
    return std::nullopt;
  return checked;
}

void SendCheckedOptionSettings(link::Port& port, const CheckedOptionSettings& settings) {
  link::ChangeLogScope logged(OptionsOperation);
  for (std::size_t i = 0; i < std::size(NumberRegisters); ++i)
    link::WriteRegister(port, NumberRegisters[i], settings.words[i]);
  const auto sendText = [&port](const std::string& text, int firstCommand) {
    const auto words = params::TextToWords(text);
    for (int k = 0; k < params::TextWords; ++k)
      link::SendCommand(port, firstCommand + k, words[static_cast<std::size_t>(k)]);
  };
  sendText(settings.serialNumber, params::cmd::SerialNumberFirst);
  sendText(settings.deviceType, params::cmd::DeviceTypeFirst);
}

bool SendOptionSettings(link::Port& port, const OptionSettings& settings, view::Questions& questions) {
  const std::optional<CheckedOptionSettings> checked = CheckOptionSettings(settings, questions);
  if (!checked) return false;
  SendCheckedOptionSettings(port, *checked);
  return true;
}

}  // namespace tvx::service
