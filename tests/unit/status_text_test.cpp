// Texts and colours of the status display and the stop codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "link/comm_error.h"
#include "status/status_text.h"

namespace tvx::status {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(StatusStopCodes, HintListsAllCodes) {
  const std::string hint = StopCodeHint();
  EXPECT_EQ(hint.rfind(" 01 - przeciążenie prądowe cewki elektromagnesu \n 02 - ", 0), 0u);
  const std::string last = "\n 22 - zamienione zaciski cewek elektromagnesów ";
  ASSERT_GE(hint.size(), last.size());
  EXPECT_EQ(hint.substr(hint.size() - last.size()), last);
  EXPECT_EQ(std::count(hint.begin(), hint.end(), '\n'), 21);
  EXPECT_NE(hint.find("\n 10 - RESET: błąd zakresu wartości zadanej 4..20mA \n"), std::string::npos);
  EXPECT_EQ(StopCodeText(0), "");
  EXPECT_EQ(StopCodeText(23), "");
  EXPECT_EQ(StopCodeText(NoStop), "");
  EXPECT_EQ(StopCodeCaption(4), "STOP  4");
  EXPECT_EQ(StopCodeCaption(21), "STOP  21");
}

struct StopCase {
  std::uint32_t code;
  float x;
  bool boardVariant;
  const char* text;
};

class StopInfoTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopInfoTest, CriticalValueText) {
  const auto& c = GetParam();
  EXPECT_EQ(StopInfoText(c.code, c.x, c.boardVariant, ','), c.text) << c.code;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StopInfoTest,
    ::testing::Values(
        StopCase{4, 3.25f, false, "Upower = 3,250 V"},
        StopCase{4, 12345.678f, false, "Upower = 12346,000 V"},  // 5 significant digits
        StopCase{5, 1.5f, false, "Uzas - Upower = 1,500 V"}, StopCase{14, 2.0f, false, "Uzas - Upower = 2,000 V"},
        StopCase{6, 1000.5f, false, "Uref1 = 0,500 V"}, StopCase{15, 2001.65f, false, "Uref2 = 1,650 V"},
        StopCase{15, 3001.0f, false, "Uref3 = 1,000 V"}, StopCase{7, 11.8f, false, "Brak napięcia 11,800 V"},
        StopCase{16, 0.0f, false, "Brak napięcia 0,000 V"}, StopCase{8, 85.04f, false, "Temperatura 85,0°C"},
        StopCase{17, 120.0f, false, "Temperatura 120,0°C"}, StopCase{9, 4095.0f, false, "Wynik ADC = 4095"},
        StopCase{10, 12.6f, false, "Wynik ADC = 13"}, StopCase{18, 0.0f, false, "Wynik ADC = 0"},
        StopCase{11, 21.5f, false, "Błąd zakresu 21,500 mA"},
        StopCase{11, 3000.0f, true, "Wynik ADC = 3000"},  // described as 18 on the board variant
        StopCase{20, 1000.5f, false, "Prąd cewki B = 0,500 A"}, StopCase{20, 0.5f, false, "Prąd cewki A = 0,500 A"},
        StopCase{21, 1234.4f, false, "Czas cyklu = 1234 us"},
        StopCase{4, std::numeric_limits<float>::quiet_NaN(), false, "Upower = NAN V"}, StopCase{1, 5.0f, false, ""},
        StopCase{2, 5.0f, false, ""}, StopCase{3, 5.0f, false, ""}, StopCase{12, 5.0f, false, ""},
        StopCase{13, 5.0f, false, ""}, StopCase{19, 5.0f, false, ""}, StopCase{22, 5.0f, true, ""},
        StopCase{99, 5.0f, false, ""}));

TEST(StatusStopCodes, ClickClearsOnlySoftStops) {
  for (int code : {11, 12, 21}) EXPECT_TRUE(StopInfoClickClears(code)) << code;
  for (int code : {-1, 1, 13, 18, 20, 22}) EXPECT_FALSE(StopInfoClickClears(code)) << code;
}

TEST(StatusValues, LabelTexts) {
  StatusFlags noLvdt;
  StatusFlags lvdt;
  lvdt.lvdt = true;
  EXPECT_EQ(StatusValueText(StatusFormat::Volts2, 24.456f, noLvdt, ','), "24,46 V");
  EXPECT_EQ(StatusValueText(StatusFormat::Celsius1, 25.04f, noLvdt, ','), "25,0 °C");
  EXPECT_EQ(StatusValueText(StatusFormat::Amperes3, 0.75f, noLvdt, ','), "0,750 A");
  EXPECT_EQ(StatusValueText(StatusFormat::Volts2, NaN, noLvdt, ','), "NAN V");
  EXPECT_EQ(StatusValueText(StatusFormat::LvdtVolts3, 1.25f, noLvdt, ','), "--- V");
  EXPECT_EQ(StatusValueText(StatusFormat::LvdtVolts3, 1.25f, lvdt, ','), "1,250 V");

  StatusFlags in2;  // ordinary board: always shown
  EXPECT_EQ(StatusValueText(StatusFormat::In2Value3, 12.0f, in2, ','), "12,000 mA");
  in2.boardVariant = true;  // board variant without the second input
  EXPECT_EQ(StatusValueText(StatusFormat::In2Value3, 12.0f, in2, ','), "--- mA");
  in2.in2Present = true;
  in2.voltageInput = true;
  EXPECT_EQ(StatusValueText(StatusFormat::In2Value3, 5.0f, in2, ','), "5,000 V");

  EXPECT_EQ(SetCoilCaption('A', false), "Iset A");
  EXPECT_EQ(SetCoilCaption('B', true), "Lset B");
  EXPECT_EQ(SetCoilText(1.5f, false, ','), "1,500 A");
  EXPECT_EQ(SetCoilText(1.5f, true, ','), "1,500 V");
  EXPECT_EQ(SetValueText(2.35f, ','), "2,350");
}

TEST(StatusValues, Peaks) {
  EXPECT_EQ(PeakText(4096, ','), "3,300 A");
  EXPECT_EQ(PeakText(2048, ','), "1,650 A");
  EXPECT_EQ(PeakText(0, ','), "0,000 A");
  EXPECT_EQ(PeakText(4096, '.'), "3.300 A");
}

TEST(StatusTemperature, ColourAndHint) {
  EXPECT_TRUE(TemperatureRed(999.0f, DefaultTemperatureLimit));
  EXPECT_TRUE(TemperatureRed(1200.0f, DefaultTemperatureLimit));
  EXPECT_FALSE(TemperatureRed(998.9f, DefaultTemperatureLimit));
  EXPECT_TRUE(TemperatureRed(80.0f, 80));
  EXPECT_FALSE(TemperatureRed(79.9f, 80));
  EXPECT_FALSE(TemperatureRed(NaN, 80));
  EXPECT_TRUE(TemperatureLimitFromRegister(0x8000u));
  EXPECT_FALSE(TemperatureLimitFromRegister(0xFFFF7FFFu));
  EXPECT_EQ(TemperatureLimitOf(0xFFFFFFFFu), -1);

  EXPECT_EQ(TemperatureMaxHint(-100.0f, ','), " Nie zarejestrowano przekroczenia progu dopuszczalnej temperatury ");
  EXPECT_EQ(TemperatureMaxHint(-99.0f, ','), " Maksymalna zarejestrowana temperatura: -99,0 °C ");
  EXPECT_EQ(TemperatureMaxHint(71.26f, ','), " Maksymalna zarejestrowana temperatura: 71,3 °C ");
}

TEST(StatusHistory, CodesAboveAByteEndTheRefresh) {
  EXPECT_EQ(ErrorHistoryCode(0), 0);
  EXPECT_EQ(ErrorHistoryCode(255), 255);
  EXPECT_THROW(ErrorHistoryCode(256), tvx::link::ConversionError);
}

TEST(StatusServiceGains, ZeroIsRed) {
  EXPECT_EQ(ServiceGainRed("0"), true);
  EXPECT_EQ(ServiceGainRed("0,000000"), true);
  EXPECT_EQ(ServiceGainRed("1,000000"), false);
  EXPECT_EQ(ServiceGainRed("---"), std::nullopt);
  // A locale with a decimal point shows the same numbers with dots.
  EXPECT_EQ(ServiceGainRed("0.000000"), true);
  EXPECT_EQ(ServiceGainRed("1.000000"), false);
  EXPECT_EQ(ServiceGainRed(""), std::nullopt);
}

}  // namespace
}  // namespace tvx::status
