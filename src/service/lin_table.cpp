#include "service/lin_table.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/protocol.h"
#include "params/conversions.h"
#include "params/held_parameters.h"
#include "params/plausible_words.h"
#include "params/register_map.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tvx::service {

namespace {

const LinTableInfo Tables[] = {
    {1, params::reg::LinTableA_Base, params::cfg::UseTable_A, " Tabela linearyzacji elektromagnesu A",
     "Wartość zadana"},
    {2, params::reg::LinTableB_Base, params::cfg::UseTable_B, " Tabela linearyzacji elektromagnesu B",
     "Wartość zadana"},
    {3, params::reg::LinTableLvdt_Base, params::cfg::UseTable_LVDT, " Tabela linearyzacji czujnika LVDT",
     "Sygnał LVDT"},
};

// The chart's area: the axes meet at (50, 275); 250 pixels span the range.
constexpr double ChartLeft = 50;
constexpr double ChartRight = 300;
constexpr double ChartTop = 25;
constexpr double ChartBottom = 275;

// Clamped in double first: a huge value must never reach the conversion to int.
int ClampedPixel(double v, double low, double high) {
  if (std::isnan(v)) return static_cast<int>(low);
  return static_cast<int>(std::clamp(v, low, high));
}

}  // namespace

const LinTableInfo& InfoOf(LinTableKind kind) { return Tables[static_cast<int>(kind)]; }

LinTableKind KindOfOpener(std::string_view name) {
  if (name == "LinTable_A") return LinTableKind::SolenoidA;
  if (name == "LinTable_B") return LinTableKind::SolenoidB;
  return LinTableKind::Lvdt;
}

bool& UseFlagOf(params::HeldParameters& held, LinTableKind kind) {
  switch (kind) {
    case LinTableKind::SolenoidA: return held.useTableA;
    case LinTableKind::SolenoidB: return held.useTableB;
    case LinTableKind::Lvdt: break;
  }
  return held.useTableLvdt;
}

LinTableWords UnpackLinTable(std::span<const std::uint8_t> block) {
  if (block.size() < proto::LinTableLength) throw std::out_of_range("linearisation table block too short");
  LinTableWords words{};
  for (std::size_t k = 0; k < words.size(); ++k) {
    for (int i = 0; i < 4; ++i) words[k] |= std::uint32_t{block[4 * k + i]} << (8 * i);
  }
  return words;
}

std::string CellText(std::uint32_t word, char decimalSeparator) {
  return params::FormatFloatFixed(params::WordToFloat(word), 4, 3, decimalSeparator);
}

std::string FirstMeasuredText(LinTableKind kind) { return kind == LinTableKind::Lvdt ? "-100,000" : "0,000"; }

LinTableWords CellWords(const std::array<view::FieldValue, TableValues>& cells,
                        const std::function<void(int cell)>& failed) {
  LinTableWords words{};
  for (std::size_t k = 0; k < cells.size(); ++k) {
    try {
      words[k] = params::ParseFloatWord(cells[k]);
    } catch (const link::ConversionError&) {
      if (failed) failed(static_cast<int>(k));
      throw;
    }
  }
  return words;
}

ChartPoint ChartPointOf(LinTableKind kind, double measured, double corrected) {
  double x, y;
  if (kind == LinTableKind::Lvdt) {
    x = ChartLeft + std::floor((measured + 100) * 125 / 100);
    y = ChartBottom - std::floor((corrected + 100) * 125 / 100);
  } else {
    x = ChartLeft + std::floor(measured * 250 / 100);
    y = ChartBottom - std::floor(corrected * 250 / 100);
  }
  return {ClampedPixel(x, ChartLeft, ChartRight), ClampedPixel(y, ChartTop, ChartBottom)};
}

std::vector<ChartPoint> ChartCurve(LinTableKind kind, const std::array<std::string, TableValues>& cells) {
  std::vector<ChartPoint> curve;
  for (int p = 0; p < Points; ++p) {
    const std::optional<double> measured = params::TryParseFloat(params::DotsToCommas(cells[p]));
    const std::optional<double> corrected = params::TryParseFloat(params::DotsToCommas(cells[Points + p]));
    if (!measured || !corrected) break;
    curve.push_back(ChartPointOf(kind, *measured, *corrected));
  }
  return curve;
}

int ScaleValue(LinTableKind kind, int i) { return 100 - (kind == LinTableKind::Lvdt ? 20 : 10) * i; }

void EditLinTable(link::Port& port, LinTableKind kind, bool& useFlag, LinTableEditor& editor) {
  const LinTableInfo& info = InfoOf(kind);
  std::array<std::uint8_t, proto::LinTableLength> block{};
  params::ReadLinTableWords(port, info.table, info.base, block.data());
  const std::optional<LinTableAnswer> answer = editor.Edit(kind, UnpackLinTable(block), useFlag);
  if (!answer) return;
  const char* const names[] = {"Lin A", "Lin B", "Lin LVDT"};
  link::ChangeLogScope logged(names[static_cast<int>(kind)]);
  for (int k = 0; k < TableValues; ++k) link::WriteRegister(port, info.base + k, answer->words[k]);
  useFlag = answer->use;
}

}  // namespace tvx::service
