#include "status/error_settings.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/plausible_words.h"
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

namespace {
view::FieldValue ShownField(std::string text, std::uint32_t word, std::uint32_t shownMax) {
  view::FieldValue field{std::move(text), std::nullopt};
  if (word <= shownMax) field.keptWord = word;
  return field;
}
}  // namespace

view::FieldValue TemperatureLimitField(std::uint32_t word) {
  return ShownField(TemperatureLimitText(word), word, TemperatureShownMax);
}

view::FieldValue StartDelayField(std::uint32_t word) {
  return ShownField(StartDelayText(word), word, StartDelayShownMax);
}

namespace {
// The three numbers of an answer; a field that is no integer is shown to the
// editor, then its ConversionError is thrown.
std::array<std::uint32_t, 3> AnswerWords(const ErrorSettingsAnswer& answer, ErrorSettingsEditor& editor) {
  const std::pair<const char*, const view::FieldValue*> fields[] = {
      {"Warn_Limit", &answer.warnLimit}, {"Stop_Limit", &answer.stopLimit}, {"StartDelay", &answer.startDelay}};
  std::array<std::uint32_t, 3> words{};
  for (std::size_t i = 0; i < words.size(); ++i) {
    try {
      words[i] = params::ParseUnsigned(*fields[i].second);
    } catch (const link::ConversionError&) {
      editor.ShowFailedField(fields[i].first);
      throw;
    }
  }
  return words;
}
}  // namespace

void EditErrorSettings(link::Port& port, HeldErrorMask held, ErrorSettingsEditor& editor) {
  namespace reg = params::reg;
  // Above access level 0 connecting does not read the parameter set: without
  // the valve's mask every box would show blocked and OK would switch off all
  // error detection.
  if (!held.known) {
    held.mask = params::ReadParameterWord(port, reg::ErrorMask);
    held.known = true;
  }
  ErrorSettingsShown shown;
  shown.mask = held.mask;
  shown.warnLimit = params::ReadParameterWord(port, reg::TemperatureWarning);
  shown.stopLimit = params::ReadParameterWord(port, reg::TemperatureStop);
  shown.startDelay = params::ReadParameterWord(port, reg::StartDelay);
  shown.warnField = TemperatureLimitField(shown.warnLimit);
  shown.stopField = TemperatureLimitField(shown.stopLimit);
  shown.delayField = StartDelayField(shown.startDelay);

  // Every number before the dialog closes.
  const std::optional<ErrorSettingsAnswer> answer = editor.Edit(shown, [&editor](const ErrorSettingsAnswer& a) {
    AnswerWords(a, editor);
    return true;
  });
  if (!answer) return;
  const std::array<std::uint32_t, 3> words = AnswerWords(*answer, editor);
  held.mask = answer->checkedBits & HandledErrorBits;
  link::ChangeLogScope logged("Błędy");
  link::WriteRegister(port, reg::ErrorMask, held.mask);
  link::WriteRegister(port, reg::TemperatureWarning, words[0]);
  link::WriteRegister(port, reg::TemperatureStop, words[1]);
  link::WriteRegister(port, reg::StartDelay, words[2]);
}

}  // namespace tvx::status
