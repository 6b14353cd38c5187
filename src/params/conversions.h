// Number conversions between register words, field texts and numbers.
//
// Texts follow the rules of the program's number fields: numbers are shown in
// fixed notation with the system's decimal separator and no group separators;
// before a text is converted every "." becomes "," and "," is taken as the
// decimal separator, so both separators are accepted. Conversion failures
// throw tvx::link::ConversionError carrying the message shown to the user.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "params/register_map.h"
#include "view/field_value.h"

namespace tvx::params {

// ---- words -----------------------------------------------------------------

std::uint32_t FloatToWord(float value);
float WordToFloat(std::uint32_t word);

// Yes is exactly 0xAAAAAAAA; every other word reads as no.
bool WordToYesNo(std::uint32_t word);
std::uint32_t YesNoToWord(bool yes);

// Word k (1..128) of the 512-byte parameter block, least significant byte first.
// Throws std::out_of_range for k outside 1..128 or a block shorter than word k.
std::uint32_t BlockWord(std::span<const std::uint8_t> block, int k);

// All 128 words of a parameter block; index 0 holds word 1.
std::array<std::uint32_t, 128> DecodeParameterBlock(std::span<const std::uint8_t> block);

// Values read from the valve may be any bit pattern: a NaN or an infinity must
// show as a text and never raise. Floating-point exceptions are masked by
// default on our targets, but a foreign library may unmask them; this keeps
// them masked (non-stop mode) for the rest of the run. Every sequence that
// converts valve words calls it first.
void MaskFloatingPointExceptions();

// ---- number to text ---------------------------------------------------------

// Fixed notation as the program shows every float: at most 7 significant digits,
// exactly `decimals` decimals (padded with zeros), the given separator. A value
// with more than 7 integer digits comes out in exponent form ("1,234568E008":
// the digits, "E", the exponent with at least `decimals` digits, or as few as
// needed when decimals is above 4). Non-finite values give "NAN", "INF", "-INF".
// Rounding is half away from zero on the decimal digits; a value that rounds to
// zero shows without a sign.
std::string FormatFixed(double x, int decimals, char decimalSeparator);

// The same with another number of significant digits (2..18); the stop texts
// use 5 digits with 3 decimals and 4 digits with no decimals.
std::string FormatFloatFixed(double x, int precision, int decimals, char decimalSeparator);

// The texts the status display shows in place of a number when the conversion
// raises an arithmetic error: "0" for a division by zero, "1" for an overflow,
// "2" for any other. Our conversions raise none (the processor's floating-point
// exceptions are masked for the whole run), so these texts are kept for callers
// that compute a value in a way that can fail.
enum class ArithmeticError { DivisionByZero, Overflow, Other };
std::string ArithmeticErrorText(ArithmeticError error);

// The text of a register's field after a read: a float with the register's
// decimals, anything else in unsigned decimal.
std::string FieldText(const ParameterRegister& reg, std::uint32_t word, char decimalSeparator);

// ---- text to number ---------------------------------------------------------

// Every "." replaced by ",".
std::string DotsToCommas(std::string_view text);

// A decimal number with "," as the separator: optional blanks, optional sign,
// digits with an optional fraction, an optional exponent ("E" or "e", optional
// sign, digits), optional blanks. "" and "---" are no number. The "." is not
// accepted here; callers that accept it use DotsToCommas first.
// Throws ConversionError "'<text>' is not a valid floating point value".
double ParseFloat(std::string_view text);
std::optional<double> TryParseFloat(std::string_view text);

// A float field's text as the send converts it: dots to commas, parse, round to
// an IEEE-754 single. A value beyond the range of a single is a range error
// ("Range check error"); it is never sent as infinity.
float ParseSingle(std::string_view fieldText);
std::uint32_t ParseFloatWord(std::string_view fieldText);

// A decimal integer as the program reads one: optional leading blanks, optional
// sign, digits. Throws ConversionError "'<text>' is not a valid integer value"
// for no integer or a value outside 32 bits.
std::int64_t ParseInteger(std::string_view text);
std::optional<std::int64_t> TryParseInteger(std::string_view text);

// An unsigned field (register value): an integer from 0 to 4294967295; a
// negative number is a range error ("Range check error").
std::uint32_t ParseUnsigned(std::string_view text);

// The word the send writes for a field's text: a float field as ParseFloatWord,
// any other as ParseUnsigned. Throws ConversionError.
std::uint32_t FieldWord(const ParameterRegister& reg, std::string_view text);

// ---- field values -----------------------------------------------------------
// The same conversions for a field: a kept word is returned as it is (for a
// float, WordToFloat of it), an edited text is converted as above.
float ParseSingle(const view::FieldValue& value);
std::uint32_t ParseFloatWord(const view::FieldValue& value);
std::uint32_t ParseUnsigned(const view::FieldValue& value);
std::uint32_t FieldWord(const ParameterRegister& reg, const view::FieldValue& value);

// The messages, for callers that report a failure of their own.
std::string InvalidFloatMessage(std::string_view text);
std::string InvalidIntegerMessage(std::string_view text);
inline constexpr const char* RangeErrorMessage = "Range check error";

}  // namespace tvx::params
