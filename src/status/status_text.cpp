#include "status/status_text.h"

#include <exception>

#include "link/comm_error.h"
#include "params/conversions.h"
#include "view/no_value.h"

namespace tvx::status {

using tvx::params::FormatFixed;
using tvx::params::FormatFloatFixed;

namespace {

constexpr std::array<std::string_view, StopCodeCount> StopTexts{
    "przeciążenie prądowe cewki elektromagnesu",
    "błąd zapisu ustawień do pamięci EEPROM",
    "RESET: błąd sumy kontrolnej ustawień w pamięci EEPROM",
    "RESET: Q1 nie wyłącza U_POWER lub odłączone cewki",
    "RESET: błąd wartości napięcia U_SUPPLY lub U_POWER",
    "RESET: błąd wartości napięcia odniesienia 1.65V",
    "RESET: brak napięcia analogowego +12V lub -12V",
    "RESET: przekroczenie dopuszczalnej temperatury",
    "RESET: błąd przetwornika DAC",
    "RESET: błąd zakresu wartości zadanej 4..20mA",
    "RESET: błąd zakresu wejścia dodatkowego 4..20mA",
    "SOFT: restart po uaktywnieniu mechanizmu Watchdog",
    "SOFT: aktywna cewka B rozdzielacza 2-położeniowego",
    "błąd wartości napięcia U_SUPPLY lub U_POWER",
    "błąd wartości napięcia odniesienia 1.65V",
    "brak napięcia analogowego +12V lub -12V",
    "przekroczenie dopuszczalnej temperatury czujnika",
    "błąd zakresu na wejściu wartości zadanej 4..20mA",
    "nie podłączona wtyczka czujnika LVDT",
    "brak przepływu prądu przez cewkę elektromagnesu",
    "długi czas realizacji algorytmu sterowania",
    "zamienione zaciski cewek elektromagnesów",
};

// A critical value: 3 decimals, at most 5 significant digits.
std::string Critical(double x, int decimals, char sep) {
  try {
    return FormatFloatFixed(x, 5, decimals, sep);
  } catch (const std::exception&) {
    return "???";
  }
}

// An ADC result or a cycle time: no decimals, at most 4 significant digits.
std::string Count(double x, char sep) {
  try {
    return FormatFloatFixed(x, 4, 0, sep);
  } catch (const std::exception&) {
    return "???";
  }
}

}  // namespace

std::string_view StopCodeText(std::uint32_t code) {
  if (code < 1 || code > static_cast<std::uint32_t>(StopCodeCount)) return {};
  return StopTexts[code - 1];
}

std::string StopCodeHint() {
  std::string hint;
  for (int code = 1; code <= StopCodeCount; ++code) {
    if (code > 1) hint += '\n';
    hint += ' ';
    if (code < 10) hint += '0';
    hint += std::to_string(code);
    hint += " - ";
    hint += StopTexts[static_cast<std::size_t>(code - 1)];
    hint += ' ';
  }
  return hint;
}

std::string StopCodeCaption(std::uint32_t code) { return "STOP  " + std::to_string(code); }

std::string StopInfoText(std::uint32_t code, double x, bool boardVariant, char sep) {
  if (boardVariant && code == 11) code = 18;
  switch (code) {
    case 4: return "Upower = " + Critical(x, 3, sep) + " V";
    case 5:
    case 14: return "Uzas - Upower = " + Critical(x, 3, sep) + " V";
    case 6:
    case 15: {
      // The valve tells the reference voltage by adding 1000, 2000 or 3000.
      std::string r;
      if (x < 2000) {
        r = "1 = " + Critical(x - 1000, 3, sep);
      } else if (x < 3000) {
        r = "2 = " + Critical(x - 2000, 3, sep);
      } else {
        r = "3 = " + Critical(x - 3000, 3, sep);
      }
      return "Uref" + r + " V";
    }
    case 7:
    case 16: return "Brak napięcia " + Critical(x, 3, sep) + " V";
    case 8:
    case 17: return "Temperatura " + Critical(x, 1, sep) + "°C";
    case 9:
    case 10:
    case 18: return "Wynik ADC = " + Count(x, sep);
    case 11: return "Błąd zakresu " + Critical(x, 3, sep) + " mA";
    case 20: {
      // Coil B is told by adding 1000.
      const std::string c = x >= 1000 ? "B = " + Critical(x - 1000, 3, sep) : "A = " + Critical(x, 3, sep);
      return "Prąd cewki " + c + " A";
    }
    case 21: return "Czas cyklu = " + Count(x, sep) + " us";
    default: break;
  }
  return {};
}

bool StopInfoClickClears(std::int32_t lastStopCode) {
  return lastStopCode == 11 || lastStopCode == 12 || lastStopCode == 21;
}

// ---- value labels ----------------------------------------------------------------------

std::string StatusValueText(StatusFormat format, double x, const StatusFlags& flags, char sep) {
  switch (format) {
    case StatusFormat::Volts2: return FormatFixed(x, 2, sep) + " V";
    case StatusFormat::Celsius1: return FormatFixed(x, 1, sep) + " °C";
    case StatusFormat::Amperes3: return FormatFixed(x, 3, sep) + " A";
    case StatusFormat::LvdtVolts3: return (flags.lvdt ? FormatFixed(x, 3, sep) : view::NoValueText) + " V";
    case StatusFormat::In2Value3: {
      const bool shown = !flags.boardVariant || flags.in2Present;
      return (shown ? FormatFixed(x, 3, sep) : view::NoValueText) + (flags.voltageInput ? " V" : " mA");
    }
  }
  return {};
}

std::string SetCoilText(double x, bool lvdt, char sep) { return FormatFixed(x, 3, sep) + (lvdt ? " V" : " A"); }

std::string SetCoilCaption(char coil, bool lvdt) {
  std::string caption = lvdt ? "Lset " : "Iset ";
  caption += coil;
  return caption;
}

std::string SetValueText(double x, char sep) { return FormatFixed(x, 3, sep); }

std::string PeakText(std::uint32_t count, char sep) {
  return FormatFixed(static_cast<double>(count) * 3.3 / 4096.0, 3, sep) + " A";
}

// ---- temperature ------------------------------------------------------------------------

bool TemperatureLimitFromRegister(std::uint32_t errorMask) {
  return (errorMask & tvx::params::ErrorMaskTemperatureLimitBit) != 0;
}

std::int32_t TemperatureLimitOf(std::uint32_t register115) { return static_cast<std::int32_t>(register115); }

bool TemperatureRed(double temperature, std::int32_t limit) { return temperature >= static_cast<double>(limit); }

std::string TemperatureMaxHint(double recordedMax, char sep) {
  if (recordedMax < -99) return " Nie zarejestrowano przekroczenia progu dopuszczalnej temperatury ";
  return " Maksymalna zarejestrowana temperatura: " + FormatFixed(recordedMax, 1, sep) + " °C ";
}

// ---- error history ----------------------------------------------------------------------

std::uint8_t ErrorHistoryCode(std::uint32_t word) {
  if (word > 255) throw tvx::link::ConversionError(tvx::params::RangeErrorMessage);
  return static_cast<std::uint8_t>(word);
}

}  // namespace tvx::status
