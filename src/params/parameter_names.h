// The parameters in the window's words: the caption of each edit field and
// held value, its group and its unit, in the order the report lists them. The
// report and the valve history both name parameters from here. Header-only.
#pragma once

#include <string_view>

namespace tvx::params {

// How a parameter's unit is known: a fixed one, none, or the one the gain
// labels show for the valve's modes (Gain_x_Label_I / Gain_x_Label_L).
enum class NameUnit { None, Fixed, GainI, GainL };

struct ParameterName {
  std::string_view field;
  std::string_view section;
  std::string_view name;
  NameUnit unitKind;
  std::string_view unit;
};

inline constexpr ParameterName ParameterNames[] = {
    {"PWM", "Parametry pracy", "Częstotliwość PWM (PWM)", NameUnit::Fixed, "Hz"},
    {"DAC_Imax", "Parametry pracy", "Prąd cewki dla maksymalnej wartości na wyjściu monitora (I DAC)", NameUnit::Fixed,
     "A"},
    {"I_Limit", "Parametry pracy", "Próg prądu zwarcia (I MAX)", NameUnit::Fixed, "A"},
    {"Near_Zero_Zone", "Parametry pracy", "Strefa zerowa wartości zadanej (A,B=0)", NameUnit::Fixed, "mV"},
    {"PID_P", "Regulator", "Wzmocnienie Kp", NameUnit::None, ""},
    {"PID_I", "Regulator", "Wzmocnienie Ki", NameUnit::None, ""},
    {"PID_D", "Regulator", "Wzmocnienie Kd", NameUnit::None, ""},
    {"Coil_A_Imin", "Elektromagnes A", "Prąd minimalny Imin", NameUnit::Fixed, "A"},
    {"Coil_A_Imax", "Elektromagnes A", "Prąd maksymalny Imax", NameUnit::Fixed, "A"},
    {"Coil_A_GainL", "Elektromagnes A", "Wzmocnienie z LVDT", NameUnit::GainL, ""},
    {"Coil_A_GainI", "Elektromagnes A", "Wzmocnienie bez LVDT", NameUnit::GainI, ""},
    {"Coil_A_Dead_Band", "Elektromagnes A", "Próg czułości", NameUnit::Fixed, "%"},
    {"Coil_A_Correct", "Elektromagnes A", "Korekta prądu", NameUnit::None, ""},
    {"Coil_B_Imin", "Elektromagnes B", "Prąd minimalny Imin", NameUnit::Fixed, "A"},
    {"Coil_B_Imax", "Elektromagnes B", "Prąd maksymalny Imax", NameUnit::Fixed, "A"},
    {"Coil_B_GainL", "Elektromagnes B", "Wzmocnienie z LVDT", NameUnit::GainL, ""},
    {"Coil_B_GainI", "Elektromagnes B", "Wzmocnienie bez LVDT", NameUnit::GainI, ""},
    {"Coil_B_Dead_Band", "Elektromagnes B", "Próg czułości", NameUnit::Fixed, "%"},
    {"Coil_B_Correct", "Elektromagnes B", "Korekta prądu", NameUnit::None, ""},
    {"IN1_4_20_Offset", "Korekty i kalibracja", "Korekta zera wejścia WE1 4-20 mA", NameUnit::Fixed, "mA"},
    {"ADC_Gain", "Korekty i kalibracja", "Wzmocnienie wejścia WE1 4-20 mA", NameUnit::None, ""},
    {"DAC_Gain", "Korekty i kalibracja", "Wzmocnienie wyjścia DAC", NameUnit::None, ""},
    {"LVDT_Offset", "Korekty i kalibracja", "Korekta zera wejścia LVDT", NameUnit::Fixed, "V"},
    {"LVDT_Gain", "Korekty i kalibracja", "Wzmocnienie wejścia LVDT", NameUnit::None, ""},
    {"DigiPot_Value", "Korekty i kalibracja", "Potencjometr cyfrowy", NameUnit::None, ""},
    {"Ramp_Start_Delay", "Opcje", "Opóźnienie startu rampy", NameUnit::Fixed, "ms"},
    {"Dither_Ampl", "Opcje", "Amplituda przebiegu Dither", NameUnit::None, ""},
    {"Dither_Freq", "Opcje", "Częstotliwość przebiegu Dither", NameUnit::Fixed, "Hz"},
    {"NearZeroKp", "Ustawienia serwisowe", "Kp blisko położenia zerowego LVDT", NameUnit::None, ""},
    {"NearZeroKi", "Ustawienia serwisowe", "Ki blisko położenia zerowego LVDT", NameUnit::None, ""},
    {"LargeErrorKp", "Ustawienia serwisowe", "Kp dla dużego błędu regulacji", NameUnit::None, ""},
    {"LargeErrorKi", "Ustawienia serwisowe", "Ki dla dużego błędu regulacji", NameUnit::None, ""},
    {"ErrorMask", "Ustawienia serwisowe", "Maska obsługiwanych błędów", NameUnit::None, ""},
    {"TraceInterval", "Ustawienia serwisowe", "Dzielnik próbkowania zapisu przebiegu", NameUnit::None, ""},
};

inline constexpr const ParameterName* FindParameterName(std::string_view field) {
  for (const ParameterName& p : ParameterNames)
    if (p.field == field) return &p;
  return nullptr;
}

}  // namespace tvx::params
