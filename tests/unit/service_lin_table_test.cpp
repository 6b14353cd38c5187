// Linearisation tables: cell texts, the words that go back, and the chart's
// points, which must stay inside the chart whatever is typed.
#include "service/lin_table.h"

#include "link/comm_error.h"
#include "params/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tvx::service {
namespace {

using params::FloatToWord;

TEST(LinTable, OpenerNamesChooseTheTable) {
  EXPECT_EQ(KindOfOpener("LinTable_A"), LinTableKind::SolenoidA);
  EXPECT_EQ(KindOfOpener("LinTable_B"), LinTableKind::SolenoidB);
  EXPECT_EQ(KindOfOpener("LVDT_Setup"), LinTableKind::Lvdt);
  EXPECT_EQ(KindOfOpener("anything"), LinTableKind::Lvdt);
}

TEST(LinTable, CellTextsHaveFourSignificantDigitsAndThreeDecimals) {
  struct Case {
    std::uint32_t word;
    char separator;
    const char* text;
  };
  const Case cases[] = {
      {FloatToWord(100.0f), ',', "100,000"}, {FloatToWord(2.5f), ',', "2,500"},       {FloatToWord(2.5f), '.', "2.500"},
      {0x42055555u, ',', "33,330"},          {FloatToWord(-100.0f), ',', "-100,000"}, {0x7FC00000u, ',', "NAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(CellText(c.word, c.separator), c.text) << c.text;
}

TEST(LinTable, UnchangedCellsGoBackAsReadAndTheFirstBadCellStopsTheConversion) {
  std::array<view::FieldValue, TableValues> cells;
  for (int k = 0; k < TableValues; ++k) cells[k] = {"1,5", std::nullopt};
  cells[3] = {"33,330", 0x42055555u};
  cells[4] = {"2.25", std::nullopt};
  const LinTableWords words = CellWords(cells);
  EXPECT_EQ(words[0], 0x3FC00000u);
  EXPECT_EQ(words[3], 0x42055555u);
  EXPECT_EQ(words[4], FloatToWord(2.25f));

  cells[7] = {"", std::nullopt};
  cells[9] = {"x", std::nullopt};
  int failed = -1;
  try {
    CellWords(cells, [&](int k) { failed = k; });
    FAIL() << "no error";
  } catch (const link::ConversionError& e) {
    EXPECT_STREQ(e.what(), params::InvalidFloatMessage("").c_str());
  }
  EXPECT_EQ(failed, 7);
}

TEST(LinTable, ChartPointsStayInsideTheChart) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    LinTableKind kind;
    double measured, corrected;
    int x, y;
  };
  const Case cases[] = {
      {LinTableKind::SolenoidA, 0, 0, 50, 275},
      {LinTableKind::SolenoidA, 100, 100, 300, 25},
      {LinTableKind::SolenoidA, 50, 33.3, 175, 275 - 83},
      {LinTableKind::SolenoidA, 150, -20, 300, 275},
      {LinTableKind::Lvdt, -100, -100, 50, 275},
      {LinTableKind::Lvdt, 0, 0, 175, 150},
      {LinTableKind::Lvdt, 100, 100, 300, 25},
      {LinTableKind::Lvdt, 1e300, -1e300, 300, 275},
      {LinTableKind::SolenoidB, -inf, inf, 50, 25},
  };
  for (const Case& c : cases) {
    const ChartPoint p = ChartPointOf(c.kind, c.measured, c.corrected);
    EXPECT_EQ(p.x, c.x) << c.measured;
    EXPECT_EQ(p.y, c.y) << c.corrected;
  }
}

TEST(LinTable, TheCurveEndsAtTheFirstCellThatIsNoNumber) {
  std::array<std::string, TableValues> cells;
  for (int p = 0; p < Points; ++p) cells[p] = cells[Points + p] = std::to_string(10 * p);
  EXPECT_EQ(ChartCurve(LinTableKind::SolenoidA, cells).size(), 11u);
  cells[Points + 4] = "NAN";
  cells[6] = "";
  const auto curve = ChartCurve(LinTableKind::SolenoidA, cells);
  ASSERT_EQ(curve.size(), 4u);
  EXPECT_EQ(curve[3].x, 50 + 75);
  cells[0] = "1.5";
  EXPECT_EQ(ChartCurve(LinTableKind::SolenoidA, cells)[0].x, 53);
}

TEST(LinTable, ScalesSpanTheirRanges) {
  EXPECT_EQ(ScaleValue(LinTableKind::Lvdt, 0), 100);
  EXPECT_EQ(ScaleValue(LinTableKind::Lvdt, 10), -100);
  EXPECT_EQ(ScaleValue(LinTableKind::SolenoidB, 10), 0);
  EXPECT_EQ(FirstMeasuredText(LinTableKind::Lvdt), "-100,000");
  EXPECT_EQ(FirstMeasuredText(LinTableKind::SolenoidA), "0,000");
}

}  // namespace
}  // namespace tvx::service
