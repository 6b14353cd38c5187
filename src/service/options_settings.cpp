#include "service/options_settings.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/derived.h"
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

void SendOptionSettings(const OptionSettings& settings) {
  link::ChangeLogScope logged(OptionsOperation);
  const std::pair<int, const params::FieldValue*> fields[] = {{params::reg::Ramp_Start_Delay, &settings.rampStartDelay},
                                                              {params::reg::Dither_Ampl, &settings.ditherAmplitude},
                                                              {params::reg::Dither_Freq, &settings.ditherFrequency}};
  for (const auto& [reg, value] : fields) link::WriteRegister(reg, params::FieldWord(*params::FindParameter(reg), *value));
  const auto sendText = [](const std::string& text, int firstCommand) {
    const auto words = params::TextToWords(text);
    for (int k = 0; k < params::TextWords; ++k) link::SendCommand(firstCommand + k, words[static_cast<std::size_t>(k)]);
  };
  sendText(settings.serialNumber, params::cmd::SerialNumberFirst);
  sendText(settings.deviceType, params::cmd::DeviceTypeFirst);
}

}  // namespace tvx::service
