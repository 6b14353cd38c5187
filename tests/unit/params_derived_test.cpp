// Checks and derived values of the parameter fields.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "link/comm_error.h"
#include "params/derived.h"

namespace tvx::params {
namespace {

struct CoilCase {
  const char* imin;
  const char* imax;
  int level;
  bool red;
  std::optional<std::string> newImin;
  std::optional<std::string> newImax;
};

class CoilCurrentTest : public ::testing::TestWithParam<CoilCase> {};

TEST_P(CoilCurrentTest, ColoursAndClamps) {
  const auto& c = GetParam();
  const auto out = CheckCoilCurrents(c.imin, c.imax, c.level, ',');
  EXPECT_FALSE(out.stopped);
  EXPECT_EQ(out.red, c.red);
  EXPECT_EQ(out.iminText, c.newImin);
  EXPECT_EQ(out.imaxText, c.newImax);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoilCurrentTest,
    ::testing::Values(CoilCase{"0,2", "2", 1, false, std::nullopt, "1,500"},       // level 1 cuts 2 A back to 1,5
                      CoilCase{"0,2", "2", 2, false, std::nullopt, std::nullopt},  // from level 2 the limit is 3 A
                      CoilCase{"0,2", "3,5", 4, false, std::nullopt, "3,000"},
                      CoilCase{"0,8", "0,5", 2, true, std::nullopt, std::nullopt},  // span not positive: both red
                      CoilCase{"0,5", "0,5", 2, true, std::nullopt, std::nullopt},
                      CoilCase{"1.0", "0.5", 2, true, std::nullopt, std::nullopt},  // dots count as commas
                      CoilCase{"2", "2,5", 1, false, "1,500", "1,500"},
                      CoilCase{"---", "1", 1, false, std::nullopt, std::nullopt},   // Imin no number: 0
                      CoilCase{"0,5", "abc", 1, false, std::nullopt, std::nullopt}  // Imax no number: the limit
                      ));

TEST(ParamsDerived, CoilCurrentsStopAtUnreadImax) {
  const auto out = CheckCoilCurrents("5", "---", 0, ',');
  EXPECT_TRUE(out.stopped);
  EXPECT_FALSE(out.iminText.has_value());
  EXPECT_EQ(CurrentLimit(0), 1.5);
  EXPECT_EQ(CurrentLimit(1), 1.5);
  EXPECT_EQ(CurrentLimit(2), 3.0);
}

struct GainCase {
  const char* imin;
  const char* imax;
  bool lvdt, voltage, positions3;
  std::optional<std::string> gain;
  bool imaxRed, iminRed;
};

class CoilGainTest : public ::testing::TestWithParam<GainCase> {};

TEST_P(CoilGainTest, GainAndColours) {
  const auto& c = GetParam();
  const auto out = ComputeCoilGain(c.imin, c.imax, c.lvdt, c.voltage, c.positions3, ',');
  EXPECT_EQ(out.gainText, c.gain);
  EXPECT_EQ(out.imaxRed, c.imaxRed);
  EXPECT_EQ(out.iminRed, c.iminRed);
  EXPECT_EQ(out.suffix, c.lvdt ? 'L' : 'I');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoilGainTest,
    ::testing::Values(GainCase{"0,2", "1,2", false, true, true, "100,000", false, false},  // mA/V: ÷ 10
                      GainCase{"0,2", "1,2", false, true, false, "100,000", false, false},
                      GainCase{"0,2", "1,0", false, false, true, "100,000", false, false},  // mA/mA 3P: ÷ 8
                      GainCase{"0", "1,6", false, false, false, "100,000", true, false},    // mA/mA 2P: ÷ 16; 1,6 red
                      GainCase{"0,9", "0,2", true, false, true, "1,250", false, false},     // LVDT: currents irrelevant
                      GainCase{"0", "1,6", true, false, true, "1,250", true, false},
                      GainCase{"0", "1", true, true, true, "1,000", false, false},
                      GainCase{"0", "1", true, false, false, "0,625", false, false},
                      GainCase{"---", "1", false, true, true, std::nullopt, true, true},  // Imin 9999: no gain
                      GainCase{"0,5", "0,5", false, true, true, std::nullopt, true, true},
                      GainCase{"0", "---", true, true, true, "1,000", true, false}));  // Imax 999 red

TEST(ParamsDerived, FieldNames) {
  EXPECT_EQ(CoilOf("Coil_B_Imax"), 'B');
  EXPECT_EQ(CoilOf("Coil_A_Gain"), 'A');
  EXPECT_EQ(CoilFieldName('B', "_Imin"), "Coil_B_Imin");
  EXPECT_EQ(GainFieldName('A', 'L'), "Coil_A_GainL");
}

TEST(ParamsDerived, LimitAndPwmColours) {
  EXPECT_FALSE(CurrentLimitFieldRed("3,3"));
  EXPECT_FALSE(CurrentLimitFieldRed("3.3"));
  EXPECT_TRUE(CurrentLimitFieldRed("3,31"));
  EXPECT_TRUE(CurrentLimitFieldRed("abc"));
  EXPECT_TRUE(CurrentLimitFieldRed("---"));

  EXPECT_EQ(PwmFieldRed("49"), true);
  EXPECT_EQ(PwmFieldRed("50"), false);
  EXPECT_EQ(PwmFieldRed("5000"), false);
  EXPECT_EQ(PwmFieldRed("5001"), true);
  EXPECT_EQ(PwmFieldRed("---"), std::nullopt);
  EXPECT_EQ(PwmFieldRed(""), std::nullopt);

  EXPECT_TRUE(PwmForcedToDitherValue(true, 1, true));
  EXPECT_FALSE(PwmForcedToDitherValue(true, 2, true));
  EXPECT_FALSE(PwmForcedToDitherValue(false, 0, true));
  EXPECT_FALSE(PwmForcedToDitherValue(true, 0, false));
  EXPECT_TRUE(OptionsOkSetsDitherPwm(false, true, 1));
  EXPECT_FALSE(OptionsOkSetsDitherPwm(true, true, 1));
  EXPECT_FALSE(OptionsOkSetsDitherPwm(false, true, 2));
}

TEST(ParamsDerived, DitherChecks) {
  EXPECT_EQ(PwmMaxOf(0x13880003u), 5000u);
  EXPECT_EQ(DitherAmplitudeRed("1250", 5000), false);
  EXPECT_EQ(DitherAmplitudeRed("1251", 5000), true);
  EXPECT_EQ(DitherAmplitudeRed("1249", 4999), false);
  EXPECT_EQ(DitherAmplitudeRed("1250", 4999), true);  // 4999 / 4 is 1249,75, not 1249
  EXPECT_EQ(DitherAmplitudeRed("x", 5000), std::nullopt);
  EXPECT_EQ(DitherFrequencyRed("9"), true);
  EXPECT_EQ(DitherFrequencyRed("10"), false);
  EXPECT_EQ(DitherFrequencyRed("250"), false);
  EXPECT_EQ(DitherFrequencyRed("251"), true);
  EXPECT_EQ(DitherFrequencyRed("1,5"), std::nullopt);
}

TEST(ParamsDerived, KeyFilters) {
  struct Key {
    char32_t in;
    std::optional<char> plain;
    std::optional<char> signedField;
  };
  const Key keys[] = {
      {U'0', '0', '0'},
      {U'9', '9', '9'},
      {U'.', ',', ','},
      {U',', ',', ','},
      {KeyBackspace, '\b', '\b'},
      {KeyEnter, '\t', '\t'},
      {KeyEscape, '\x1b', '\x1b'},
      {U'-', std::nullopt, '-'},
      {U'a', std::nullopt, std::nullopt},
      {U'+', std::nullopt, std::nullopt},
      {U' ', std::nullopt, std::nullopt},
      {U'ą', std::nullopt, std::nullopt},
      {U'\t', std::nullopt, std::nullopt},
  };
  for (const auto& k : keys) {
    EXPECT_EQ(FilterNumericKey(k.in, false), k.plain) << static_cast<int>(k.in);
    EXPECT_EQ(FilterNumericKey(k.in, true), k.signedField) << static_cast<int>(k.in);
  }
}

TEST(ParamsDerived, ProfileCaptions) {
  const auto p0 = ProfileFromRegister(0);
  EXPECT_EQ(p0.number, 1);
  EXPECT_EQ(p0.caption, "Profil nr 1 ");
  EXPECT_TRUE(p0.enabled);
  EXPECT_EQ(ProfileFromRegister(9).caption, "Profil nr 10 ");
  const auto p10 = ProfileFromRegister(10);
  EXPECT_EQ(p10.caption, "F");
  EXPECT_FALSE(p10.enabled);
  EXPECT_EQ(ProfileFromRegister(0x7FFFFFFEu).caption, "F");
  EXPECT_THROW(ProfileFromRegister(0x7FFFFFFFu), tvx::link::ConversionError);
  EXPECT_THROW(ProfileFromRegister(0xFFFFFFFFu), tvx::link::ConversionError);
}

TEST(ParamsDerived, SetBarPosition) {
  EXPECT_EQ(SetBarPosition(2.35f), 23);
  EXPECT_EQ(SetBarPosition(2.57f), 25);
  EXPECT_EQ(SetBarPosition(-2.57f), -26);
  EXPECT_EQ(SetBarPosition(0.0), 0);
  EXPECT_EQ(SetBarPosition(20.0f), 200);
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), 1e10, -1e10}) {
    EXPECT_THROW(SetBarPosition(bad), tvx::link::ConversionError) << bad;
  }
}

TEST(ParamsDerived, ModeLayout) {
  const auto v3 = ScaleFor(true, true);
  EXPECT_EQ(v3.barMin, -100);
  EXPECT_EQ(v3.barMax, 100);
  EXPECT_EQ(v3.low, "-10");
  EXPECT_EQ(v3.gainUnitI, "[mA/V]");
  const auto v2 = ScaleFor(true, false);
  EXPECT_EQ(v2.barMin, 0);
  EXPECT_EQ(v2.mid, "");
  const auto c3 = ScaleFor(false, true);
  EXPECT_EQ(c3.barMin, 40);
  EXPECT_EQ(c3.barMax, 200);
  EXPECT_EQ(c3.mid, "12");
  EXPECT_EQ(c3.gainUnitL, "[V/mA]");
  EXPECT_EQ(c3.in2Label, "We2 4-20");
  EXPECT_EQ(ScaleFor(false, false).mid, "");

  EXPECT_EQ(In2UnitText("1,000 V", false), "1,000 mA");
  EXPECT_EQ(In2UnitText("1,000 mA", true), "1,000 V");
  EXPECT_EQ(In2UnitText("1,000 mA", false), "1,000 mA");
  EXPECT_EQ(In2ValueLeft(false, 14, 8), 81);
  EXPECT_EQ(In2ValueLeft(true, 14, 8), 75);

  EXPECT_TRUE(CrossWireUsable(false, true));
  EXPECT_FALSE(CrossWireUsable(true, true));
  EXPECT_FALSE(CrossWireUsable(false, false));
  EXPECT_EQ(ModeCaption(Mode::Positions3, true), "• 3-położeniowy");
  EXPECT_EQ(ModeCaption(Mode::Lvdt, false), "• bez czujnika LVDT");
}

TEST(ParamsDerived, MonitorRangeLabelsEndFlushRight) {
  // Blanks 3 pixels wide, everything else 7.
  const TextWidth width = [](std::string_view s) {
    int w = 0;
    for (char c : s) w += c == ' ' ? 3 : 7;
    return w;
  };
  EXPECT_EQ(MonitorRangeLabels(true, width), (std::array<std::string, 3>{"   4mA", "12mA", "20mA"}));
  EXPECT_EQ(MonitorRangeLabels(false, width), (std::array<std::string, 3>{"-10V", "     0V", "+10V"}));
  // A font in which blanks take no room must not hang the padding.
  const TextWidth noBlanks = [](std::string_view s) {
    int w = 0;
    for (char c : s) w += c == ' ' ? 0 : 7;
    return w;
  };
  const auto labels = MonitorRangeLabels(false, noBlanks);
  EXPECT_EQ(labels[1].substr(labels[1].size() - 2), "0V");
}

TEST(ParamsDerived, OptionTextsAsWords) {
  EXPECT_EQ(TextToWords(""), (std::array<std::uint32_t, 10>{}));
  const auto w = TextToWords("ABCDE");
  EXPECT_EQ(w[0], 0x44434241u);
  EXPECT_EQ(w[1], 0x45u);
  EXPECT_EQ(w[9], 0u);
  const auto full = TextToWords(std::string(39, 'x') + "yZZZZ");  // cut to 40
  EXPECT_EQ(full[9], 0x79787878u);
}

}  // namespace
}  // namespace tvx::params
