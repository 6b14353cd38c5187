// Sampling periods of the trace recorder and the texts built from them: the
// period list, the recording time, the restart hint and the time labels.
//
// The valve takes a sample every `divider` PWM periods, so a sample lasts
// divider x 1000 / PWM ms and a recording of 500 samples 500 times that. On
// screen the period is the list's text, rounded to 0.1 ms; waits for a
// recording use the exact period rounded up to whole milliseconds, so that a
// read never starts before the valve has finished recording.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tvx::trace {

// The seven sampling dividers offered, in list order.
inline constexpr std::array<std::uint32_t, 7> Dividers{1, 2, 5, 10, 20, 50, 100};

// The PWM frequency in the PWM field's text: a whole number of hertz above 0.
// Nothing for a text that is no whole number, for 0 and for a negative number
// (no period can be computed from them).
std::optional<std::uint32_t> ParsePwm(std::string_view text);

// The list index of a divider, or nothing when it is not one of the seven.
std::optional<int> DividerIndex(std::uint32_t divider);

// A sampling period: exact, and as the list shows it ("%.1f", the locale's
// separator) with the number that text stands for.
struct SamplingPeriod {
  double exactMs = 0;
  double shownMs = 0;
  std::string text;
};
SamplingPeriod PeriodOf(std::uint32_t divider, std::uint32_t pwmHz, char decimalSeparator);

// Whole milliseconds of a full recording, the exact figure rounded up.
std::int64_t RecordingMs(std::uint32_t divider, std::uint32_t pwmHz);

// The wait before the recording started `sinceStart` ago is complete: nothing
// when it is (or when no start is known), else the remaining whole
// milliseconds, never more than a full recording.
std::optional<std::int64_t> RemainingRecordingMs(std::optional<std::chrono::milliseconds> sinceStart,
                                                 std::uint32_t divider, std::uint32_t pwmHz);

// A number with exactly `decimals` decimals and the given separator, without
// a sign when it rounds to zero ("%.3f" style, whatever the C locale).
std::string FixedDecimals(double value, int decimals, char decimalSeparator);

// A number in general format with 15 significant digits and the given separator.
std::string GeneralText(double value, char decimalSeparator);

// A single-precision value in general format with the fewest digits that read
// back as the same single: 1.2f is "1,2", not the "1,20000004768372" that its
// widening to double shows, which is longer than the chart's gain column and
// runs over the caption before it.
std::string SingleText(float value, char decimalSeparator);

// " Zbierz kolejne " + half the shown period + "s przebiegu ".
std::string RestartHint(double shownMs, char decimalSeparator);

// The time label under sample 100 i: period x i / 10 seconds, e.g. "0,25s".
std::string TimeLabel(double shownMs, int i, char decimalSeparator);

}  // namespace tvx::trace
