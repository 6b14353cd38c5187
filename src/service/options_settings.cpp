#include "service/options_settings.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/out_of_range.h"
#include "params/register_map.h"

namespace tvx::service {

namespace {
constexpr const char* OptionsOperation = "Opcje";
}  // namespace

void SendOptionSwitch(std::string_view boxName, bool on) {
  if (const params::OptionBox* option = params::FindOptionBox(boxName)) {
    link::ChangeLogScope logged(OptionsOperation);
    link::SendCommand(option->command, params::YesNoToWord(on));
  }
}

std::uint32_t ReadPwmMaximum() { return params::PwmMaxOf(link::ReadRegister(params::state::PwmMaxAndEnables)); }

bool SendOptionSettings(const OptionSettings& settings, view::Questions& questions) {
  const std::pair<int, const view::FieldValue*> fields[] = {{params::reg::Ramp_Start_Delay, &settings.rampStartDelay},
                                                              {params::reg::Dither_Ampl, &settings.ditherAmplitude},
                                                              {params::reg::Dither_Freq, &settings.ditherFrequency}};
  std::uint32_t words[std::size(fields)] = {};
  for (std::size_t i = 0; i < std::size(fields); ++i)
    words[i] = params::FieldWord(*params::FindParameter(fields[i].first), *fields[i].second);
  const params::FieldTexts text = [&](std::string_view field) -> std::optional<std::string> {
    if (field == "Dither_Ampl") return settings.ditherAmplitude.text;
    if (field == "Dither_Freq") return settings.ditherFrequency.text;
    return std::nullopt;
  };
  if (!params::SendOutOfRange(questions,
                              params::OutOfRangeDitherFields(text, settings.pwmMaximum, settings.decimalSeparator)))
    return false;

  link::ChangeLogScope logged(OptionsOperation);
  for (std::size_t i = 0; i < std::size(fields); ++i) link::WriteRegister(fields[i].first, words[i]);
  const auto sendText = [](const std::string& text, int firstCommand) {
    const auto words = params::TextToWords(text);
    for (int k = 0; k < params::TextWords; ++k) link::SendCommand(firstCommand + k, words[static_cast<std::size_t>(k)]);
  };
  sendText(settings.serialNumber, params::cmd::SerialNumberFirst);
  sendText(settings.deviceType, params::cmd::DeviceTypeFirst);
  return true;
}

}  // namespace tvx::service
