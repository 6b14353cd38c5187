// The trace chart's pure logic: sampling periods and their texts, where a
// sample is drawn, and what the display fields show under the pointer.
#include "trace/chart_scale.h"
#include "trace/sampling.h"
#include "trace/trace_data.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace tvx::trace {
namespace {

using namespace std::chrono_literals;

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

TEST(TraceSampling, PwmTextsThatGiveAPeriod) {
  struct Case {
    const char* text;
    std::optional<std::uint32_t> pwm;
  } cases[] = {{"2000", 2000},        {" 1000", 1000},    {"0", std::nullopt},   {"-500", std::nullopt},
               {"---", std::nullopt}, {"", std::nullopt}, {"12,5", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(ParsePwm(c.text), c.pwm) << c.text;
}

TEST(TraceSampling, PeriodListRecordingTimeAndTexts) {
  std::vector<std::string> texts;
  texts.reserve(Dividers.size());
  for (std::uint32_t d : Dividers) texts.push_back(PeriodOf(d, 1000, ',').text);
  EXPECT_EQ(texts, (std::vector<std::string>{"1,0", "2,0", "5,0", "10,0", "20,0", "50,0", "100,0"}));

  // 3000 Hz: shown as 0.3 ms, but the recording lasts 166.7 ms, so waits take 167.
  const SamplingPeriod p = PeriodOf(1, 3000, '.');
  EXPECT_EQ(p.text, "0.3");
  EXPECT_DOUBLE_EQ(p.shownMs, 0.3);
  EXPECT_EQ(RecordingMs(1, 3000), 167);
  EXPECT_EQ(RecordingMs(10, 1000), 5000);

  EXPECT_EQ(RestartHint(PeriodOf(10, 1000, ',').shownMs, ','), " Zbierz kolejne 5s przebiegu ");
  EXPECT_EQ(RestartHint(0.3, ','), " Zbierz kolejne 0,15s przebiegu ");
  std::vector<std::string> labels;
  for (int i = 0; i <= 5; ++i) labels.push_back(TimeLabel(0.5, i, ','));
  EXPECT_EQ(labels, (std::vector<std::string>{"0s", "0,05s", "0,1s", "0,15s", "0,2s", "0,25s"}));
  EXPECT_EQ(GeneralText(static_cast<float>(0.1), '.'), "0.100000001490116");
  // The chart's gains are singles: only the digits a single holds.
  for (const auto& [value, text] : std::vector<std::pair<float, std::string>>{
           {1.2f, "1,2"}, {0.4f, "0,4"}, {4.0f, "4"}, {-0.05f, "-0,05"}, {1.0e-5f, "1E-05"}})
    EXPECT_EQ(SingleText(value, ','), text);
}

TEST(TraceSampling, WaitForARecordingInProgress) {
  EXPECT_EQ(RemainingRecordingMs(1000ms, 10, 1000), 4000);
  EXPECT_EQ(RemainingRecordingMs(5000ms, 10, 1000), std::nullopt);
  EXPECT_EQ(RemainingRecordingMs(std::nullopt, 10, 1000), std::nullopt);
  // A clock that went backwards never waits longer than one recording.
  EXPECT_EQ(RemainingRecordingMs(-300ms, 10, 1000), 5000);
}

TEST(TraceData, SamplesScalesAndMasks) {
  const std::uint8_t bytes[12] = {0x34, 0x12, 0xFF, 0xFF, 0x00, 0x00, 0xA0, 0x40, 0x00, 0x00, 0x80, 0xBF};
  const TraceSample s = DecodeSample(std::span<const std::uint8_t, 12>(bytes));
  EXPECT_EQ(s.coilA, 0x1234);
  EXPECT_EQ(s.coilB, 0xFFFF);
  EXPECT_FLOAT_EQ(s.PositionVolts(), 5.0f);
  EXPECT_FLOAT_EQ(s.SetValueVolts(), -1.0f);
  EXPECT_FALSE(s.IsEndMarker());
  EXPECT_EQ((TraceSample{0, 0, 0x00040010u, 0}.PidMode()), 0);  // above 3 counts as 0
  EXPECT_EQ((TraceSample{0, 0, 0x00020010u, 0}.PidMode()), 2);

  EXPECT_EQ(SplitScale(0x07C20000u).Max(), 1986);
  EXPECT_EQ(SplitScale(0).low, 100);
  EXPECT_EQ(SplitScale(0x00000032u).high, 100);

  // Only bits 0..4 are the chart's; the others stay as the valve holds them.
  EXPECT_EQ(WithChartBits(0xFFFFFFFFu, 0x0E), 0xFFFFFFEEu);
  EXPECT_FALSE(ChartBitsDiffer(0xFFFFFFFFu, 0x1F));
  EXPECT_TRUE(ChartBitsDiffer(0x1F, 0x0F));
}

TEST(ChartGeometry, PixelRowsOfTheChannels) {
  const ChartGeometry g = ChartGeometry::For({1986, 100});
  EXPECT_EQ(g.y0, 400);
  EXPECT_EQ(g.yT, 50);
  struct Case {
    Channel channel;
    TraceSample sample;
    PositionMode mode;
    int y;
  } cases[] = {
      {Channel::CoilA, {993, 0, 0, 0}, {}, 225},
      {Channel::CoilB, {0, 1986, 0, 0}, {}, 50},
      {Channel::SetValue, {0, 0, 0, Bits(5.0f)}, {}, 138},
      {Channel::SetValue, {0, 0, 0, Bits(-10.1f)}, {}, 402},
      {Channel::SetValue, {0, 0, 0, Bits(-25.0f)}, {}, 402},  // clamped to -10.1 V
      {Channel::Position, {0, 0, Bits(NaN), 0}, {}, 225},     // no number: 0 V
      {Channel::SetValue, {0, 0, 0, Bits(std::numeric_limits<float>::infinity())}, {}, 49},
      {Channel::Position, {0, 0, 4095, 0}, {true, 1}, 50},         // the DAC top reaches the top line
      {Channel::Position, {0, 0, 0x00039000u, 0}, {true, 1}, 50},  // held to 4095
      {Channel::Position, {0, 0, 97, 0}, {true, 2}, 400 - 350},    // monitor scale 100
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "expected y " << c.y);
    EXPECT_EQ(g.ChannelY(c.channel, c.sample, c.mode), c.y);
  }
  EXPECT_EQ(ChartGeometry::For({100, 5000}).MonitorY(65535), 400 - 4587);
  EXPECT_EQ(FloorPixel(std::nan("")), 0);
  EXPECT_EQ(FloorPixel(1e300), 1000000);
}

TEST(ChartPointer, ValuesOfTheSampleUnderThePointer) {
  const PositionMode lvdt;
  PointerValues v = ValuesUnderPointer({4096, 0xFFFF, Bits(NaN), Bits(-12.0f)}, 137, 10.0, lvdt, ',');
  EXPECT_EQ(v.coilA, "3,300");
  EXPECT_EQ(v.coilB, "0,000");  // 52.8 A is no current
  EXPECT_EQ(v.position, "0,000");
  EXPECT_EQ(v.setValue, "0,000");
  EXPECT_EQ(v.time, "1,370");
  EXPECT_EQ(v.pidMode, 0);

  v = ValuesUnderPointer({0, 0, 0x0002ABCDu, Bits(-10.0f)}, 50, 0.5, {true, 1}, ',');
  EXPECT_EQ(v.position, "43981");
  EXPECT_EQ(v.setValue, "-10,000");
  EXPECT_EQ(v.time, "0,0250");
  EXPECT_EQ(v.pidMode, 2);

  v = ValuesUnderPointer({EndMarker, 5, 0, 0}, 3, 1.0, lvdt, '.');
  EXPECT_TRUE(v.endMarker);
  EXPECT_EQ(v.coilB, "");
  EXPECT_EQ(v.time, "0.003");

  EXPECT_TRUE(InPointerArea(100, 50));
  EXPECT_TRUE(InPointerArea(599, 400));
  EXPECT_FALSE(InPointerArea(600, 200));
  EXPECT_FALSE(InPointerArea(300, 401));
}

}  // namespace
}  // namespace tvx::trace
