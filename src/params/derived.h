// The checks and derived values of the parameter fields, free of any widget:
// the valve modes and what they change on the main window, the limits and
// colours of the current, gain, PWM and dither fields, the key filters, the
// profile caption, the set-value bar position and the two texts of the options
// dialog as words. The window code applies the outcomes to its controls.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tvx::params {

// ---- valve modes -------------------------------------------------------------

// Each mode is bit 6 of the Tag of its label.
inline constexpr std::uint16_t ModeTagBit = 0x40;

enum class Mode { Positions3, VoltageInput, Lvdt };

// Caption of a mode label, e.g. "• 3-położeniowy" / "• 2-położeniowy".
std::string_view ModeCaption(Mode mode, bool set);
// Caption before the first read, e.g. "- liczba elektromagnesów".
std::string_view ModeDesignCaption(Mode mode);

// What the input mode and the number of positions change on the main window.
struct SetValueScale {
  std::string_view low;   // Set_Low
  std::string_view mid;   // Set_Mid
  std::string_view high;  // Set_Hi
  int barMin;             // Set_Bar range, tenths of a volt or milliampere
  int barMax;
  std::string_view gainUnitI;  // Gain_A_Label_I, Gain_B_Label_I
  std::string_view gainUnitL;  // Gain_A_Label_L, Gain_B_Label_L
  std::string_view in2Label;   // IN2_Type_Label
};
SetValueScale ScaleFor(bool voltageMode, bool positions3);

// The text of Info_IN2_Value after a mode change: with current input the first
// "V" becomes "mA", with voltage input the first "mA" becomes "V".
std::string In2UnitText(std::string_view text, bool voltageMode);
// Left position of Info_IN2_Value: 75, plus (width of "mA" - width of "V") for
// current input.
int In2ValueLeft(bool voltageMode, int widthOfMA, int widthOfV);

// LVDT_CrossWire stays usable (and keeps its state) only with 2 positions and
// an LVDT; otherwise it is disabled and cleared.
bool CrossWireUsable(bool positions3, bool lvdtMode);

// Captions of the three items of the monitor-output menu DAC_Cal. Items 0 and
// 1 get leading blanks, one at a time, until they are drawn at least as wide
// as item 2 (textWidth measures a text in the window's font).
using TextWidth = std::function<int(std::string_view)>;
std::array<std::string, 3> MonitorRangeLabels(bool currentInput, const TextWidth& textWidth);

// ---- coil currents and gains --------------------------------------------------

// Highest coil current the fields accept: 3.0 A above access level 1, else 1.5 A.
double CurrentLimit(int accessLevel);

// The component name of a coil's field: CoilFieldName('A', "_Imin") is
// "Coil_A_Imin". CoilOf("Coil_B_Imax") is 'B' (the sixth character).
std::string CoilFieldName(char coil, std::string_view suffix);
char CoilOf(std::string_view componentName);

// Outcome of a change of one of a coil's current fields.
struct CoilCurrentCheck {
  bool stopped = false;                 // the Imax field shows "---": nothing changes
  bool red = false;                     // both fields red; otherwise both normal
  std::optional<std::string> iminText;  // new Imin text, cut back to the limit
  std::optional<std::string> imaxText;  // new Imax text, cut back to the limit
};
// Imin counts as 0 and Imax as the limit when they are no number. Dots in the
// texts count as commas.
CoilCurrentCheck CheckCoilCurrents(std::string_view iminText, std::string_view imaxText, int accessLevel,
                                   char decimalSeparator);

// Outcome of the gain button of a coil.
struct GainCheck {
  bool imaxRed = false;
  bool iminRed = false;
  char suffix = 'I';                    // 'L' with an LVDT, 'I' without
  std::optional<std::string> gainText;  // text for the gain field; none when the span is not positive
};
// Imin counts as 9999 and Imax as 999 when they are no number.
GainCheck ComputeCoilGain(std::string_view iminText, std::string_view imaxText, bool lvdtMode, bool voltageMode,
                          bool positions3, char decimalSeparator);
// "Coil_" + coil + "_Gain" + suffix.
std::string GainFieldName(char coil, char suffix);

// I_Limit and DAC_Imax: red above 3.3 A, and when the text is no number.
bool CurrentLimitFieldRed(std::string_view text);

// DAC_Gain, ADC_Gain, LVDT_Gain: red when the value is exactly 0, normal for
// any other number, nothing (colour unchanged) when the text is no number.
std::optional<bool> ServiceGainRed(std::string_view text);

// ---- PWM and dither -------------------------------------------------------------

inline constexpr std::string_view DitherPwmText = "2000";

// PWM: red below 50 or above 5000; nothing (colour unchanged) for no integer.
std::optional<bool> PwmFieldRed(std::string_view text);
// While the main window is active, below access level 2 and with dither on,
// every change of PWM puts "2000" into it.
bool PwmForcedToDitherValue(bool mainWindowActive, int accessLevel, bool ditherMode);
// OK of the options dialog puts "2000" into PWM when dither was switched on
// during this showing below access level 2.
bool OptionsOkSetsDitherPwm(bool ditherAtActivation, bool ditherNow, int accessLevel);

// PWM maximum: the upper half of state register 27, or 5000 when unread.
inline constexpr std::uint32_t DefaultPwmMax = 5000;
std::uint32_t PwmMaxOf(std::uint32_t register27);

// Dither amplitude: red above PWM maximum / 4 (exact division). Nothing for no integer.
std::optional<bool> DitherAmplitudeRed(std::string_view text, std::uint32_t pwmMax);
// Dither frequency: red outside 10..250 Hz. Nothing for no integer.
std::optional<bool> DitherFrequencyRed(std::string_view text);

// ---- key filters -------------------------------------------------------------------

inline constexpr char32_t KeyBackspace = 8;
inline constexpr char32_t KeyTab = 9;
inline constexpr char32_t KeyEnter = 13;
inline constexpr char32_t KeyEscape = 27;

// What a typed character becomes in a numeric field: digits, ",", Backspace and
// Esc pass; "." becomes ","; Enter becomes Tab; "-" passes only with
// allowMinus (IN1_4_20_Offset, LVDT_Offset). Anything else is dropped.
std::optional<char> FilterNumericKey(char32_t key, bool allowMinus);

// ---- profile and set value ------------------------------------------------------------

struct ProfileCaption {
  int number;           // 1-based profile number
  std::string caption;  // "Profil nr " + number + " ", or "F" from 11 on
  bool enabled;         // SelectSetup usable (number below 11)
};
// From state register 29 (the profile number less one). A value from
// 0x7FFFFFFF up is no profile number: ConversionError (range error).
ProfileCaption ProfileFromRegister(std::uint32_t register29);

// Position of Set_Bar for a set value: floor(value × 10). A NaN, an infinity or
// a position beyond the integer range throws ConversionError; the caller then
// puts the bar at 0.
int SetBarPosition(double value);

// Left edge of the valve-type label centred in its group: (group width - text
// width) / 2, the fraction dropped toward zero.
int CentredLeft(int groupWidth, int textWidth);

// ---- options texts ---------------------------------------------------------------------

// A text of the options dialog as ten words: zero-padded (or cut) to 40 bytes,
// four bytes a word, the first byte in the lowest byte of the word. The text
// is taken byte by byte in the encoding the caller chose.
std::array<std::uint32_t, 10> TextToWords(std::string_view bytes);

}  // namespace tvx::params
