#include "trace/sampling.h"

#include "params/conversions.h"
#include "trace/chart_texts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tvx::trace {

namespace {

constexpr std::int64_t SamplesPerRecording = 500;

std::string WithSeparator(std::string text, char separator) {
  std::replace(text.begin(), text.end(), '.', separator);
  return text;
}

}  // namespace

std::optional<std::uint32_t> ParsePwm(std::string_view text) {
  const std::optional<std::int64_t> value = params::TryParseInteger(text);
  if (!value || *value <= 0) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

std::optional<int> DividerIndex(std::uint32_t divider) {
  const auto* it = std::find(Dividers.begin(), Dividers.end(), divider);
  if (it == Dividers.end()) return std::nullopt;
  return static_cast<int>(it - Dividers.begin());
}

SamplingPeriod PeriodOf(std::uint32_t divider, std::uint32_t pwmHz, char separator) {
  SamplingPeriod p;
  p.exactMs = pwmHz ? divider * 1000.0 / pwmHz : 0.0;
  const std::string dotted = FixedDecimals(p.exactMs, 1, '.');
  std::from_chars(dotted.data(), dotted.data() + dotted.size(), p.shownMs);
  p.text = WithSeparator(dotted, separator);
  return p;
}

std::int64_t RecordingMs(std::uint32_t divider, std::uint32_t pwmHz) {
  if (pwmHz == 0) return 0;
  const std::int64_t micros = std::int64_t{divider} * 1000 * SamplesPerRecording;
  return (micros + pwmHz - 1) / pwmHz;
}

std::optional<std::int64_t> RemainingRecordingMs(std::optional<std::chrono::milliseconds> sinceStart,
                                                 std::uint32_t divider, std::uint32_t pwmHz) {
  if (!sinceStart) return std::nullopt;
  const std::int64_t full = RecordingMs(divider, pwmHz);
  const std::int64_t elapsed = std::max<std::int64_t>(sinceStart->count(), 0);
  if (elapsed >= full) return std::nullopt;
  return full - elapsed;
}

std::string FixedDecimals(double value, int decimals, char separator) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "NAN";
  std::string text(buffer, result.ptr);
  if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
  return WithSeparator(text, separator);
}

std::string GeneralText(double value, char separator) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  std::replace(text.begin(), text.end(), 'e', 'E');
  return WithSeparator(text, separator);
}

std::string SingleText(float value, char separator) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
  std::string text(buffer, result.ptr);
  std::replace(text.begin(), text.end(), 'e', 'E');
  return WithSeparator(text, separator);
}

std::string RestartHint(double shownMs, char separator) {
  return text::RestartHintHead + GeneralText(shownMs * 0.5, separator) + text::RestartHintTail;
}

std::string TimeLabel(double shownMs, int i, char separator) { return GeneralText(shownMs * i / 10, separator) + "s"; }

}  // namespace tvx::trace
