// Word encodings, the parameter block, number texts and their conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "link/comm_error.h"
#include "params/conversions.h"

namespace tvx::params {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

TEST(ParamsWords, FloatAndYesNoWords) {
  EXPECT_EQ(FloatToWord(1.5f), 0x3FC00000u);
  EXPECT_EQ(WordToFloat(0x3FA00000u), 1.25f);
  EXPECT_TRUE(WordToYesNo(0xAAAAAAAAu));
  for (std::uint32_t w : {0x55555555u, 0x00000001u, 0xAAAAAAABu, 0u}) EXPECT_FALSE(WordToYesNo(w)) << w;
  EXPECT_EQ(YesNoToWord(true), 0xAAAAAAAAu);
  EXPECT_EQ(YesNoToWord(false), 0x55555555u);
}

TEST(ParamsWords, BlockWordsAreLittleEndian) {
  std::vector<std::uint8_t> block(512);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 1);
  block[0] = 0x00;
  block[1] = 0x00;
  block[2] = 0x00;
  block[3] = 0x80;  // word 1 = 0x80000000
  block[508] = 0x78;
  block[509] = 0x56;
  block[510] = 0x34;
  block[511] = 0x12;
  EXPECT_EQ(BlockWord(block, 1), 0x80000000u);
  EXPECT_EQ(BlockWord(block, 128), 0x12345678u);
  const auto words = DecodeParameterBlock(block);
  EXPECT_EQ(words[0], 0x80000000u);
  EXPECT_EQ(words[127], 0x12345678u);
  EXPECT_EQ(words[1], BlockWord(block, 2));

  EXPECT_THROW(BlockWord(block, 0), std::out_of_range);
  EXPECT_THROW(BlockWord(block, 129), std::out_of_range);
  EXPECT_THROW(BlockWord(std::span(block).first(511), 128), std::out_of_range);
}

struct FixedCase {
  double x;
  int precision;
  int decimals;
  const char* text;
};

class FormatFloatFixedTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatFloatFixedTest, MatchesTheProgramsTexts) {
  const auto& c = GetParam();
  EXPECT_EQ(FormatFloatFixed(c.x, c.precision, c.decimals, ','), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatFloatFixedTest,
    ::testing::Values(
        // Field texts: 3 and 6 decimals, padded.
        FixedCase{1.5f, 7, 3, "1,500"}, FixedCase{1.5f, 7, 6, "1,500000"}, FixedCase{2.35f, 7, 3, "2,350"},
        FixedCase{-2.57f, 7, 3, "-2,570"}, FixedCase{0.0, 7, 3, "0,000"}, FixedCase{-0.0, 7, 3, "0,000"},
        FixedCase{300.0, 7, 0, "300"}, FixedCase{12.3456789, 7, 6, "12,345680"}, FixedCase{0.1234567, 7, 6, "0,123457"},
        FixedCase{0.000123, 7, 6, "0,000123"},
        // Seven significant digits at most, then zeros.
        FixedCase{1234567.891, 7, 3, "1234568,000"}, FixedCase{999.95, 7, 1, "1000,0"},
        // Halves round away from zero; what rounds to zero has no sign.
        FixedCase{0.0625, 7, 3, "0,063"}, FixedCase{-0.0625, 7, 3, "-0,063"}, FixedCase{0.0004, 7, 3, "0,000"},
        FixedCase{-0.0004, 7, 3, "0,000"}, FixedCase{0.0006, 7, 3, "0,001"}, FixedCase{-0.0006, 7, 3, "-0,001"},
        FixedCase{85.04f, 5, 1, "85,0"},
        // More integer digits than significant ones: exponent form.
        FixedCase{123456789.0, 7, 3, "1,234568E008"}, FixedCase{123456789.0, 7, 6, "1,234568E8"},
        FixedCase{-123456789.0, 7, 3, "-1,234568E008"}, FixedCase{1e8, 7, 3, "1E008"},
        FixedCase{9999999.6, 7, 3, "1E007"}, FixedCase{3.0e38, 7, 3, "3E038"}, FixedCase{12345.678f, 5, 3, "12346,000"},
        FixedCase{123456.0, 5, 3, "1,2346E005"}, FixedCase{1023.0, 4, 0, "1023"}, FixedCase{12.6f, 4, 0, "13"},
        FixedCase{12345.0, 4, 0, "1,235E4"},
        // Words that are no number.
        FixedCase{NaN, 7, 3, "NAN"}, FixedCase{-NaN, 7, 3, "NAN"}, FixedCase{Inf, 7, 1, "INF"},
        FixedCase{-Inf, 7, 2, "-INF"}));

TEST(ParamsFormat, SeparatorAndWordShortcuts) {
  EXPECT_EQ(FormatFixed(1.5, 3, '.'), "1.500");
  EXPECT_EQ(FormatFixed(WordToFloat(0x3FC00000u), 3, ','), "1,500");
  EXPECT_EQ(FormatFixed(WordToFloat(0x7FC00000u), 3, ','), "NAN");
  EXPECT_EQ(ArithmeticErrorText(ArithmeticError::DivisionByZero), "0");
  EXPECT_EQ(ArithmeticErrorText(ArithmeticError::Overflow), "1");
  EXPECT_EQ(ArithmeticErrorText(ArithmeticError::Other), "2");
}

TEST(ParamsFormat, FieldTextsOfRegisterWords) {
  const auto& imin = *FindParameter(reg::Coil_A_Imin);
  const auto& offset = *FindParameter(reg::IN1_4_20_Offset);
  const auto& pot = *FindParameter(reg::DigiPot_Value);
  EXPECT_EQ(FieldText(imin, 0x3FC00000u, ','), "1,500");
  EXPECT_EQ(FieldText(offset, 0x3FC00000u, ','), "1,500000");
  EXPECT_EQ(FieldText(pot, 300, ','), "300");  // no clamp to the hint's 255
  EXPECT_EQ(FieldText(pot, 0xFFFFFFFFu, ','), "4294967295");
  EXPECT_EQ(FieldText(imin, 0x7FC00000u, ','), "NAN");
  EXPECT_EQ(FieldText(imin, 0xFF800000u, ','), "-INF");
  // A value the field shows in full goes back as the same word.
  for (std::uint32_t w : {FloatToWord(1.5f), FloatToWord(0.1f), FloatToWord(2.35f), FloatToWord(-123.456f), 0u}) {
    EXPECT_EQ(FieldWord(imin, FieldText(imin, w, ',')), w) << w;
  }
  EXPECT_EQ(FieldWord(pot, FieldText(pot, 0xFFFFFFFFu, ',')), 0xFFFFFFFFu);
  EXPECT_THROW(FieldWord(pot, "---"), tvx::link::ConversionError);
}

TEST(FieldValueTest, KeptWordGoesBackBitForBitEditedTextConverts) {
  const auto& imin = *FindParameter(reg::Coil_A_Imin);
  const auto& pot = *FindParameter(reg::DigiPot_Value);
  // Words a field cannot show exactly: more digits than its decimals, a NaN
  // with a payload, a value in exponent form.
  for (std::uint32_t w : {FloatToWord(0.1234f), 0x7FC01234u, FloatToWord(12345678.0f), FloatToWord(0.0004f)}) {
    const view::FieldValue kept{FieldText(imin, w, ','), w};
    EXPECT_EQ(FieldWord(imin, kept), w) << w;
    EXPECT_EQ(ParseFloatWord(kept), w) << w;
    EXPECT_EQ(FloatToWord(ParseSingle(kept)), w) << w;
  }
  EXPECT_EQ(FieldWord(pot, view::FieldValue{"---", 7u}), 7u);
  EXPECT_EQ(ParseUnsigned(view::FieldValue{"12", 0xFFFFFFFFu}), 0xFFFFFFFFu);
  // Without a kept word the text is what counts, errors included.
  EXPECT_EQ(FieldWord(imin, view::FieldValue{"1.5", std::nullopt}), 0x3FC00000u);
  EXPECT_EQ(ParseUnsigned(view::FieldValue{"12", std::nullopt}), 12u);
  EXPECT_THROW(FieldWord(pot, view::FieldValue{"---", std::nullopt}), tvx::link::ConversionError);
}

struct WordCase {
  const char* text;
  std::uint32_t word;
};

class FloatFieldTest : public ::testing::TestWithParam<WordCase> {};

TEST_P(FloatFieldTest, SendsTheSingleBitPattern) {
  EXPECT_EQ(ParseFloatWord(GetParam().text), GetParam().word) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, FloatFieldTest,
                         ::testing::Values(WordCase{"1.25", 0x3FA00000u}, WordCase{"1,25", 0x3FA00000u},
                                           WordCase{"  1,25  ", 0x3FA00000u}, WordCase{"-1,5", 0xBFC00000u},
                                           WordCase{"+1.5", 0x3FC00000u}, WordCase{",5", 0x3F000000u},
                                           WordCase{"1,", 0x3F800000u}, WordCase{"1e2", 0x42C80000u},
                                           WordCase{"2,5E-1", 0x3E800000u}, WordCase{"3,4028234e38", 0x7F7FFFFFu},
                                           WordCase{"1e-50", 0x00000000u}, WordCase{"0", 0x00000000u}));

TEST(ParamsParse, FloatTextsThatAreNoNumber) {
  for (const char* text : {"", "---", "abc", "1,2,3", "1 2", "+", "-", ",", "e5", "1e", "1,5x", "NAN", "\t1"}) {
    EXPECT_FALSE(TryParseFloat(text).has_value()) << text;
  }
  try {
    ParseSingle("1.2.3");
    FAIL() << "no error";
  } catch (const tvx::link::ConversionError& e) {
    EXPECT_STREQ(e.what(), "'1,2,3' is not a valid floating point value");
  }
  try {
    ParseSingle("---");
    FAIL() << "no error";
  } catch (const tvx::link::ConversionError& e) {
    EXPECT_STREQ(e.what(), "'---' is not a valid floating point value");
  }
}

TEST(ParamsParse, FloatBeyondSingleRangeIsRangeError) {
  for (const char* text : {"3,5e38", "-1e39", "1e400", "-1e5000"}) {
    try {
      ParseFloatWord(text);
      FAIL() << text << " was sent";
    } catch (const tvx::link::ConversionError& e) {
      EXPECT_STREQ(e.what(), "Range check error") << text;
    }
  }
}

TEST(ParamsParse, Integers) {
  EXPECT_EQ(ParseUnsigned("2000"), 2000u);
  EXPECT_EQ(ParseUnsigned("  50"), 50u);
  EXPECT_EQ(ParseUnsigned("+7"), 7u);
  EXPECT_EQ(ParseUnsigned("-0"), 0u);
  EXPECT_EQ(ParseUnsigned("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseInteger("-2147483648"), -2147483648ll);
  for (const char* text : {"", "---", "4294967296", "-2147483649", "12a", "1,5", "50 ", "-"}) {
    EXPECT_FALSE(TryParseInteger(text).has_value()) << text;
  }
  try {
    ParseUnsigned("abc");
    FAIL() << "no error";
  } catch (const tvx::link::ConversionError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  try {
    ParseUnsigned("-5");
    FAIL() << "no error";
  } catch (const tvx::link::ConversionError& e) {
    EXPECT_STREQ(e.what(), "Range check error");
  }
}

}  // namespace
}  // namespace tvx::params
