#include "params/derived.h"

#include <cmath>
#include <limits>

#include "link/comm_error.h"
#include "params/conversions.h"
#include "params/register_map.h"
#include "view/no_value.h"

namespace tvx::params {

using tvx::link::ConversionError;

// ---- valve modes -------------------------------------------------------------

std::string_view ModeCaption(Mode mode, bool set) {
  switch (mode) {
    case Mode::Positions3: return set ? "• 3-położeniowy" : "• 2-położeniowy";
    case Mode::VoltageInput: return set ? "• sterowanie napięciowe" : "• sterowanie prądowe";
    case Mode::Lvdt: break;
  }
  return set ? "• z czujnikiem LVDT" : "• bez czujnika LVDT";
}

std::string_view ModeDesignCaption(Mode mode) {
  switch (mode) {
    case Mode::Positions3: return "- liczba elektromagnesów";
    case Mode::VoltageInput: return "- sygnał wejściowy";
    case Mode::Lvdt: break;
  }
  return "- czujnik LVDT";
}

SetValueScale ScaleFor(bool voltageMode, bool positions3) {
  if (voltageMode) {
    if (positions3) return {"-10", " 0", "10", -100, 100, "[mA/V]", "[V/V]", "We2 0-10"};
    return {" 0", "", "10", 0, 100, "[mA/V]", "[V/V]", "We2 0-10"};
  }
  if (positions3) return {" 4", "12", "20", 40, 200, "[mA/mA]", "[V/mA]", "We2 4-20"};
  return {" 4", "", "20", 40, 200, "[mA/mA]", "[V/mA]", "We2 4-20"};
}

std::string In2UnitText(std::string_view text, bool voltageMode) {
  std::string s(text);
  const std::string_view from = voltageMode ? "mA" : "V";
  const std::string_view to = voltageMode ? "V" : "mA";
  const auto at = s.find(from);
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

int In2ValueLeft(bool voltageMode, int widthOfMA, int widthOfV) {
  return voltageMode ? 75 : 75 + (widthOfMA - widthOfV);
}

bool CrossWireUsable(bool positions3, bool lvdtMode) { return !positions3 && lvdtMode; }

std::array<std::string, 3> MonitorRangeLabels(bool currentInput, const TextWidth& textWidth) {
  std::array<std::string, 3> items = currentInput ? std::array<std::string, 3>{"4mA", "12mA", "20mA"}
                                                  : std::array<std::string, 3>{"-10V", "0V", "+10V"};
  const int target = textWidth(items[2]);
  // A font whose blank has no width could never reach the target; a caption is
  // not padded beyond any sensible length.
  constexpr std::size_t MaxPadding = 64;
  for (int i = 0; i < 2; ++i) {
    std::string& item = items[static_cast<std::size_t>(i)];
    for (std::size_t pad = 0; pad < MaxPadding && textWidth(item) < target; ++pad) {
      item.insert(0, 1, ' ');
    }
  }
  return items;
}

// ---- coil currents and gains --------------------------------------------------

double CurrentLimit(int accessLevel) { return accessLevel > 1 ? 3.0 : 1.5; }

std::string CoilFieldName(char coil, std::string_view suffix) {
  std::string name = "Coil_";
  name += coil;
  name += suffix;
  return name;
}

char CoilOf(std::string_view componentName) { return componentName.size() > 5 ? componentName[5] : '\0'; }

namespace {

double NumberOr(std::string_view text, double fallback) {
  const auto v = TryParseFloat(DotsToCommas(text));
  return v ? *v : fallback;
}

}  // namespace

CoilCurrentCheck CheckCoilCurrents(std::string_view iminText, std::string_view imaxText, int accessLevel, char sep) {
  CoilCurrentCheck out;
  const double limit = CurrentLimit(accessLevel);
  if (imaxText == view::NoValueText) {
    out.stopped = true;
    return out;
  }
  const double imin = NumberOr(iminText, 0.0);
  const double imax = NumberOr(imaxText, limit);
  out.red = !(imax - imin > 0);
  if (imin > limit) out.iminText = FormatFixed(limit, 3, sep);
  if (imax > limit) out.imaxText = FormatFixed(limit, 3, sep);
  return out;
}

GainCheck ComputeCoilGain(std::string_view iminText, std::string_view imaxText, bool lvdtMode, bool voltageMode,
                          bool positions3, char sep) {
  GainCheck out;
  out.suffix = lvdtMode ? 'L' : 'I';
  const double imin = NumberOr(iminText, 9999.0);
  const double imax = NumberOr(imaxText, 999.0);
  const double span = lvdtMode ? 10.0 : imax - imin;
  const bool positive = span > 0;
  out.imaxRed = imax > 1.5 || !positive;
  out.iminRed = !positive;
  if (positive) {
    const double factor = lvdtMode ? 1.0 : 1000.0;  // amperes to milliamperes without LVDT
    const double divisor = voltageMode ? 10.0 : positions3 ? 8.0 : 16.0;
    out.gainText = FormatFixed(factor * span / divisor, 3, sep);
  }
  return out;
}

std::string GainFieldName(char coil, char suffix) {
  std::string name = CoilFieldName(coil, "_Gain");
  name += suffix;
  return name;
}

bool CurrentLimitFieldRed(std::string_view text) { return NumberOr(text, 9999.0) > 3.3; }

std::optional<bool> ServiceGainRed(std::string_view text) {
  // Either separator: the field shows the locale's one.
  const auto v = TryParseFloat(DotsToCommas(text));
  if (!v) return std::nullopt;
  return *v == 0.0;
}

// ---- PWM and dither -------------------------------------------------------------

std::optional<bool> PwmFieldRed(std::string_view text) {
  const auto v = TryParseInteger(text);
  if (!v) return std::nullopt;
  return *v < 50 || *v > 5000;
}

bool PwmForcedToDitherValue(bool mainWindowActive, int accessLevel, bool ditherMode) {
  return mainWindowActive && accessLevel < 2 && ditherMode;
}

bool OptionsOkSetsDitherPwm(bool ditherAtActivation, bool ditherNow, int accessLevel) {
  return !ditherAtActivation && ditherNow && accessLevel < 2;
}

std::uint32_t PwmMaxOf(std::uint32_t register27) { return register27 >> 16; }

std::optional<bool> DitherAmplitudeRed(std::string_view text, std::uint32_t pwmMax) {
  const auto v = TryParseInteger(text);
  if (!v) return std::nullopt;
  // value > max / 4 exactly, kept in integers
  return *v * 4 > static_cast<std::int64_t>(pwmMax);
}

std::optional<bool> DitherFrequencyRed(std::string_view text) {
  const auto v = TryParseInteger(text);
  if (!v) return std::nullopt;
  return *v < 10 || *v > 250;
}

// ---- key filters -------------------------------------------------------------------

std::optional<char> FilterNumericKey(char32_t key, bool allowMinus) {
  if (key >= U'0' && key <= U'9') return static_cast<char>(key);
  switch (key) {
    case U',':
    case U'.': return ',';
    case KeyEnter: return static_cast<char>(KeyTab);
    case KeyBackspace:
    case KeyEscape: return static_cast<char>(key);
    case U'-':
      if (allowMinus) return '-';
      break;
    default: break;
  }
  return std::nullopt;
}

// ---- profile and set value ------------------------------------------------------------

ProfileCaption ProfileFromRegister(std::uint32_t register29) {
  if (register29 >= 0x7FFFFFFFu) throw ConversionError(RangeErrorMessage);
  const int number = static_cast<int>(register29) + 1;
  if (number < 11) return {number, "Profil nr " + std::to_string(number) + " ", true};
  return {number, "F", false};
}

int SetBarPosition(double value) {
  const double position = std::floor(value * 10.0);
  if (!std::isfinite(position) || position < std::numeric_limits<int>::min() ||
      position > std::numeric_limits<int>::max()) {
    throw ConversionError("Invalid floating point operation");
  }
  return static_cast<int>(position);
}

int CentredLeft(int groupWidth, int textWidth) { return (groupWidth - textWidth) / 2; }

// ---- options texts ---------------------------------------------------------------------

std::array<std::uint32_t, 10> TextToWords(std::string_view bytes) {
  std::array<std::uint32_t, 10> words{};
  const std::size_t n = bytes.size() < TextLength ? bytes.size() : TextLength;
  for (std::size_t i = 0; i < n; ++i) {
    const auto b = static_cast<std::uint8_t>(bytes[i]);
    words[i / 4] |= std::uint32_t{b} << (8 * (i % 4));
  }
  return words;
}

}  // namespace tvx::params
