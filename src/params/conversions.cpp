#include "params/conversions.h"

#include <algorithm>
#include <bit>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "link/comm_error.h"
#include "link/protocol.h"

namespace tvx::params {

using tvx::link::ConversionError;

// ---- words -----------------------------------------------------------------

std::uint32_t FloatToWord(float value) { return std::bit_cast<std::uint32_t>(value); }

float WordToFloat(std::uint32_t word) { return std::bit_cast<float>(word); }

bool WordToYesNo(std::uint32_t word) { return word == tvx::proto::MarkerTrue; }

std::uint32_t YesNoToWord(bool yes) { return yes ? tvx::proto::MarkerTrue : tvx::proto::MarkerFalse; }

std::uint32_t BlockWord(std::span<const std::uint8_t> block, int k) {
  if (k < 1 || k > static_cast<int>(tvx::proto::ParameterWords)) {
    throw std::out_of_range("parameter word number out of range");
  }
  const std::size_t at = 4u * static_cast<std::size_t>(k - 1);
  if (block.size() < at + 4) throw std::out_of_range("parameter block too short");
  return std::uint32_t{block[at]} | std::uint32_t{block[at + 1]} << 8 | std::uint32_t{block[at + 2]} << 16 |
         std::uint32_t{block[at + 3]} << 24;
}

std::array<std::uint32_t, 128> DecodeParameterBlock(std::span<const std::uint8_t> block) {
  std::array<std::uint32_t, 128> words{};
  for (int k = 1; k <= 128; ++k) words[static_cast<std::size_t>(k - 1)] = BlockWord(block, k);
  return words;
}

void MaskFloatingPointExceptions() {
  std::fenv_t environment;
  std::feholdexcept(&environment);
}

// ---- number to text ---------------------------------------------------------

namespace {

// A number as a string of significant decimal digits: value = 0.d1d2d3... ×
// 10^exponent. An empty digit string is zero.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

// Rounds a finite value to at most `precision` significant digits and at most
// `decimals` digits after the point. The value is first written with 18
// significant digits; the cut-off digit then rounds half away from zero, and
// trailing zeros are dropped. A result of zero carries no sign.
DecimalDigits ToDecimal(double x, int precision, int decimals) {
  DecimalDigits r;
  if (x == 0.0) return r;

  // d.ddddddddddddddddde±XX, independent of the process locale.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(x), std::chars_format::scientific, 17);
  *res.ptr = '\0';
  std::string d(1, buf[0]);
  d.append(buf + 2, 17);
  const char* e = std::strchr(buf, 'e');
  int exponent = std::atoi(e + 1) + 1;

  const int count0 = exponent + decimals;
  if (count0 < 0) return r;  // rounds to zero
  const int count = std::min(count0, precision);
  bool negative = std::signbit(x);

  if (count < 18) {
    if (d[static_cast<std::size_t>(count)] >= '5') {
      d.resize(static_cast<std::size_t>(count));
      int i = count - 1;
      for (;;) {
        if (i < 0) {
          d = "1";
          ++exponent;
          break;
        }
        if (d[static_cast<std::size_t>(i)] == '9') {
          d.resize(static_cast<std::size_t>(i));
          --i;
        } else {
          ++d[static_cast<std::size_t>(i)];
          break;
        }
      }
    } else {
      d.resize(static_cast<std::size_t>(count));
    }
  }
  while (!d.empty() && d.back() == '0') d.pop_back();
  if (d.empty()) negative = false;

  r.digits = std::move(d);
  r.exponent = exponent;
  r.negative = negative;
  return r;
}

}  // namespace

std::string FormatFloatFixed(double x, int precision, int decimals, char sep) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  precision = std::clamp(precision, 2, 18);
  decimals = std::clamp(decimals, 0, 18);

  const DecimalDigits rec = ToDecimal(x, precision, decimals);
  std::size_t next = 0;
  auto digit = [&]() -> char { return next < rec.digits.size() ? rec.digits[next++] : '0'; };

  std::string out;
  if (rec.negative) out += '-';

  if (rec.exponent > precision) {
    // More integer digits than significant ones: exponent form with every
    // significant digit and no "+" before the exponent.
    out += digit();
    if (next < rec.digits.size()) {
      out += sep;
      out.append(rec.digits, next);
    }
    out += 'E';
    std::string exp = std::to_string(rec.exponent - 1);
    const std::size_t minDigits = decimals <= 4 ? static_cast<std::size_t>(decimals) : 0;
    if (exp.size() < minDigits) exp.insert(0, minDigits - exp.size(), '0');
    out += exp;
    return out;
  }

  int k = rec.exponent;
  if (k > 0) {
    for (; k > 0; --k) out += digit();
  } else {
    out += '0';
  }
  if (decimals > 0) {
    out += sep;
    int left = decimals;
    for (; k < 0 && left > 0; ++k, --left) out += '0';
    for (; left > 0; --left) out += digit();
  }
  return out;
}

std::string FormatFixed(double x, int decimals, char sep) { return FormatFloatFixed(x, 7, decimals, sep); }

std::string ArithmeticErrorText(ArithmeticError error) {
  switch (error) {
    case ArithmeticError::DivisionByZero: return "0";
    case ArithmeticError::Overflow: return "1";
    case ArithmeticError::Other: break;
  }
  return "2";
}

std::string FieldText(const ParameterRegister& reg, std::uint32_t word, char sep) {
  if (reg.encoding == Encoding::Float) return FormatFixed(WordToFloat(word), reg.decimals, sep);
  return std::to_string(word);
}

// ---- text to number ---------------------------------------------------------

std::string DotsToCommas(std::string_view text) {
  std::string s(text);
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

std::string InvalidFloatMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}

std::string InvalidIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> TryParseFloat(std::string_view t) {
  const std::size_t n = t.size();
  std::size_t i = 0;
  while (i < n && t[i] == ' ') ++i;

  std::string norm;  // the number in the form std::from_chars reads
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    if (negative) norm += '-';
    ++i;
  }
  std::size_t mantissaDigits = 0;
  int magnitude = 0;  // decimal exponent of the first non-zero digit, before the exponent part
  bool seenNonZero = false;
  int intDigits = 0;
  int leadingFractionZeros = 0;
  while (i < n && IsDigit(t[i])) {
    if (t[i] != '0' || seenNonZero) {
      seenNonZero = true;
      ++intDigits;
    }
    norm += t[i++];
    ++mantissaDigits;
  }
  if (i < n && t[i] == ',') {
    norm += '.';
    ++i;
    while (i < n && IsDigit(t[i])) {
      if (!seenNonZero) {
        if (t[i] == '0') {
          ++leadingFractionZeros;
        } else {
          seenNonZero = true;
        }
      }
      norm += t[i++];
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) return std::nullopt;

  long exponent = 0;
  if (i < n && (t[i] == 'E' || t[i] == 'e')) {
    norm += 'e';
    ++i;
    bool expNegative = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) {
      expNegative = t[i] == '-';
      norm += t[i];
      ++i;
    }
    std::size_t expDigits = 0;
    while (i < n && IsDigit(t[i])) {
      if (exponent < 100000) exponent = exponent * 10 + (t[i] - '0');
      norm += t[i++];
      ++expDigits;
    }
    if (expDigits == 0) return std::nullopt;
    if (expNegative) exponent = -exponent;
  }
  while (i < n && t[i] == ' ') ++i;
  if (i != n) return std::nullopt;

  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(norm.data(), norm.data() + norm.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: tell which from the decimal exponent.
    magnitude = (intDigits > 0 ? intDigits - 1 : -(leadingFractionZeros + 1)) + static_cast<int>(exponent);
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
  }
  if (ec != std::errc() || ptr != norm.data() + norm.size()) return std::nullopt;
  return value;
}

double ParseFloat(std::string_view text) {
  if (auto v = TryParseFloat(text)) return *v;
  throw ConversionError(InvalidFloatMessage(text));
}

float ParseSingle(std::string_view fieldText) {
  const std::string text = DotsToCommas(fieldText);
  const double v = ParseFloat(text);
  // Halfway between the largest single and the next power of two rounds to
  // infinity; from there on the value does not fit a single.
  constexpr double SingleOverflow = 0x1.ffffffp127;
  if (std::fabs(v) >= SingleOverflow) throw ConversionError(RangeErrorMessage);
  return static_cast<float>(v);
}

std::uint32_t ParseFloatWord(std::string_view fieldText) { return FloatToWord(ParseSingle(fieldText)); }

std::optional<std::int64_t> TryParseInteger(std::string_view t) {
  const std::size_t n = t.size();
  std::size_t i = 0;
  while (i < n && t[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  if (i == n) return std::nullopt;
  std::int64_t value = 0;
  for (; i < n; ++i) {
    if (!IsDigit(t[i])) return std::nullopt;
    value = value * 10 + (t[i] - '0');
    if (value > 0xFFFFFFFFll) return std::nullopt;
  }
  if (negative) {
    value = -value;
    if (value < std::numeric_limits<std::int32_t>::min()) return std::nullopt;
  }
  return value;
}

std::int64_t ParseInteger(std::string_view text) {
  if (auto v = TryParseInteger(text)) return *v;
  throw ConversionError(InvalidIntegerMessage(text));
}

std::uint32_t ParseUnsigned(std::string_view text) {
  const std::int64_t v = ParseInteger(text);
  if (v < 0) throw ConversionError(RangeErrorMessage);
  return static_cast<std::uint32_t>(v);
}

std::uint32_t FieldWord(const ParameterRegister& reg, std::string_view text) {
  if (reg.encoding == Encoding::Float) return ParseFloatWord(text);
  return ParseUnsigned(text);
}

// ---- field values -----------------------------------------------------------

float ParseSingle(const view::FieldValue& value) {
  return value.keptWord ? WordToFloat(*value.keptWord) : ParseSingle(value.text);
}

std::uint32_t ParseFloatWord(const view::FieldValue& value) {
  return value.keptWord ? *value.keptWord : ParseFloatWord(value.text);
}

std::uint32_t ParseUnsigned(const view::FieldValue& value) {
  return value.keptWord ? *value.keptWord : ParseUnsigned(value.text);
}

std::uint32_t FieldWord(const ParameterRegister& reg, const view::FieldValue& value) {
  return value.keptWord ? *value.keptWord : FieldWord(reg, value.text);
}

}  // namespace tvx::params
