#include "status/error_settings.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/register_map.h"

#include <algorithm>

namespace tvx::status {

namespace {
constexpr std::uint32_t TemperatureShownMax = 125;
constexpr std::uint32_t StartDelayShownMax = 2500;
}  // namespace

std::string ErrorBoxName(int bit) { return std::string(bit < 9 ? "Err0" : "Err") + std::to_string(bit + 1); }

std::string TemperatureLimitText(std::uint32_t word) { return std::to_string(std::min(word, TemperatureShownMax)); }

std::string StartDelayText(std::uint32_t word) { return std::to_string(std::min(word, StartDelayShownMax)); }

void EditErrorSettings(HeldErrorMask held, ErrorSettingsEditor& editor) {
  namespace reg = params::reg;
  // Above access level 0 connecting does not read the parameter set: without
  // the valve's mask every box would show blocked and OK would switch off all
  // error detection.
  if (!held.known) {
    held.mask = link::ReadParameter(reg::ErrorMask);
    held.known = true;
  }
  ErrorSettingsShown shown;
  shown.mask = held.mask;
  shown.warnLimit = link::ReadParameter(reg::TemperatureWarning);
  shown.stopLimit = link::ReadParameter(reg::TemperatureStop);
  shown.startDelay = link::ReadParameter(reg::StartDelay);

  const std::optional<ErrorSettingsAnswer> answer = editor.Edit(shown);
  if (!answer) return;
  held.mask = answer->checkedBits & HandledErrorBits;
  link::ChangeLogScope logged("Błędy");
  link::WriteRegister(reg::ErrorMask, held.mask);
  link::WriteRegister(reg::TemperatureWarning, params::ParseUnsigned(answer->warnLimit));
  link::WriteRegister(reg::TemperatureStop, params::ParseUnsigned(answer->stopLimit));
  link::WriteRegister(reg::StartDelay, params::ParseUnsigned(answer->startDelay));
}

}  // namespace tvx::status
