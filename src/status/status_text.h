// Texts and colour rules of the status display ("Pomiary" tab): the stop codes
// with their descriptions and critical values, the value labels with their
// units, the peak currents, the temperature colour and hint, and the field
// check of the three service gains. No widget here; the window applies them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "params/derived.h"
#include "params/register_map.h"

namespace tvx::status {

// ---- stop codes ----------------------------------------------------------------------

// State register 11 holds this word while the valve is not stopped.
inline constexpr std::uint32_t NoStop = 0xFFFFFFFFu;
inline constexpr int StopCodeCount = 22;

// Description of a stop code 1..22; empty for any other code.
std::string_view StopCodeText(std::uint32_t code);

// The list of all stop codes, the hint of StopCodeLabel above access level 1:
// " 01 - <text> " lines joined by line breaks.
std::string StopCodeHint();
inline constexpr std::string_view StopCodeDesignHint = " Kod błędu powodującego zatrzymanie ";

// Caption of StopCodeLabel: "STOP  " and the code in unsigned decimal.
std::string StopCodeCaption(std::uint32_t code);

// Text of StopInfo for a stop code and its critical value (state register 26).
// With boardVariant, code 11 is described as code 18. Empty for codes without
// a critical value. A number that cannot be formatted shows as "???".
std::string StopInfoText(std::uint32_t code, double criticalValue, bool boardVariant, char decimalSeparator);

// A click on StopInfo asks the valve to clear the stop (command 9) only for
// these codes.
bool StopInfoClickClears(std::int32_t lastStopCode);

// ---- value labels ----------------------------------------------------------------------

// How a float state register is shown.
enum class StatusFormat {
  Volts2,      // 2 decimals + " V"
  Celsius1,    // 1 decimal + " °C"
  Amperes3,    // 3 decimals + " A"
  LvdtVolts3,  // 3 decimals, or "---" without LVDT, + " V"
  In2Value3,   // 3 decimals, or "---" (see StatusFlags), + " V" or " mA"
};

struct StatusFloat {
  int stateRegister;
  std::string_view label;  // component name of the value label
  StatusFormat format;
};

// The float registers of a status refresh after the stop code, in read order.
inline constexpr std::array<StatusFloat, 9> StatusFloats{{
    {tvx::params::state::Usupply, "Info_Usupply", StatusFormat::Volts2},
    {tvx::params::state::Upower, "Info_Upower", StatusFormat::Volts2},
    {tvx::params::state::Temperature, "Info_Temp", StatusFormat::Celsius1},
    {tvx::params::state::IavgA, "Info_Coil_A_Iavg", StatusFormat::Amperes3},
    {tvx::params::state::IavgB, "Info_Coil_B_Iavg", StatusFormat::Amperes3},
    {tvx::params::state::Lvdt, "Info_Lvdt", StatusFormat::LvdtVolts3},
    {tvx::params::state::UsupplyMax, "Info_Usupply_Max", StatusFormat::Volts2},
    {tvx::params::state::In2Value, "Info_IN2_Value", StatusFormat::In2Value3},
    {tvx::params::state::LvdtPid, "Info_Lvdt_PID", StatusFormat::LvdtVolts3},
}};

struct StatusFlags {
  bool lvdt = false;          // the valve has an LVDT position sensor
  bool voltageInput = false;  // the set-value input is a voltage
  bool boardVariant = false;  // state register 39
  bool in2Present = false;    // state register 42
};

std::string StatusValueText(StatusFormat format, double x, const StatusFlags& flags, char decimalSeparator);

// Set current (" A", without LVDT) or set position (" V", with LVDT) of a coil,
// and the caption beside it: "Lset A" / "Iset A".
std::string SetCoilText(double x, bool lvdt, char decimalSeparator);
std::string SetCoilCaption(char coil, bool lvdt);

// Set_Val: the set value with 3 decimals.
std::string SetValueText(double x, char decimalSeparator);

// Peak current from its count: count × 3.3 / 4096 with 3 decimals + " A".
std::string PeakText(std::uint32_t count, char decimalSeparator);
// What a peak label shows at once when it is reset.
inline constexpr std::string_view PeakResetText = "0.000 A";

// ---- temperature ------------------------------------------------------------------------

inline constexpr std::int32_t DefaultTemperatureLimit = 999;

// Whether the limit comes from parameter register 115 (bit 15 of the error mask).
bool TemperatureLimitFromRegister(std::uint32_t errorMask);
// The limit held in register 115, taken as a signed 32-bit number.
std::int32_t TemperatureLimitOf(std::uint32_t register115);
// The temperature is red at or above the limit.
bool TemperatureRed(double temperature, std::int32_t limit);
// Hint of Info_Temp from the highest recorded temperature (state register 43).
std::string TemperatureMaxHint(double recordedMax, char decimalSeparator);

// ---- error history ----------------------------------------------------------------------

// The valve's error history holds at most this many codes; the first 0 ends it.
inline constexpr int ErrorHistoryLength = 256;
// One code of the history (state register 6). A word above 255 is no code:
// ConversionError (range error), which ends the refresh.
std::uint8_t ErrorHistoryCode(std::uint32_t word);

// ---- service gain check ------------------------------------------------------------------

// DAC_Gain, ADC_Gain, LVDT_Gain (params/derived.h, where the send checks it too).
using params::ServiceGainRed;

}  // namespace tvx::status
