// Linearisation tables: the valve corrects the characteristic of solenoid A,
// that of solenoid B and the LVDT signal by tables of eleven points, each a
// measured value and its corrected value in percent.
//
// In the valve, register base + p holds the measured value of point p and
// base + 11 + p its corrected value, each the bit pattern of a single float;
// the table's block (88 bytes) holds the same 22 words in that order, least
// significant byte first. Whether the valve uses a table is a flag of the
// configuration word, held in memory between a parameter read and a send.
#pragma once

#include "link/port.h"
#include "link/protocol.h"
#include "view/field_value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tvx::params {
struct HeldParameters;
}

namespace tvx::service {

enum class LinTableKind { SolenoidA, SolenoidB, Lvdt };

struct LinTableInfo {
  int table;               // number of its block request (1..3)
  int base;                // first register
  int flagBit;             // bit of the configuration word
  const char* caption;     // the editor's caption
  const char* signalType;  // the label above the grid
};
const LinTableInfo& InfoOf(LinTableKind kind);

// The table an opener edits, by the opener's component name: "LinTable_A",
// "LinTable_B", and any other name means the LVDT table.
LinTableKind KindOfOpener(std::string_view name);

// The use flag of a table among the held flags.
bool& UseFlagOf(params::HeldParameters& held, LinTableKind kind);

inline constexpr int Points = proto::LinTablePoints;
inline constexpr int TableValues = proto::LinTableValues;  // measured values of points 0..10, then corrected values
using LinTableWords = std::array<std::uint32_t, TableValues>;

// The 22 words of a table's block.
LinTableWords UnpackLinTable(std::span<const std::uint8_t> block);

// A cell's text for a word: the float rounded to 4 significant digits, in
// fixed notation with 3 decimals ("100,000", "2,500"; "NAN" for a NaN word).
std::string CellText(std::uint32_t word, char decimalSeparator);

// The measured values of points 0 and 10 are fixed to the ends of the range
// after every key in the grid; these texts always carry a comma.
std::string FirstMeasuredText(LinTableKind kind);
inline constexpr const char* LastMeasuredText = "100,000";

// The words to send for the 22 cells (measured 0..10, corrected 0..10): an
// unchanged cell gives back the word read, an edited one is converted. At the
// first cell that does not hold a number, `failed` is told its index, then
// ConversionError is thrown.
LinTableWords CellWords(const std::array<view::FieldValue, TableValues>& cells,
                        const std::function<void(int cell)>& failed = {});

// ---- the chart ------------------------------------------------------------------

inline constexpr int ChartSize = 325;

struct ChartPoint {
  int x;
  int y;
};

// The point of a measured / corrected pair on the chart, clamped to its area
// (x 50..300, y 25..275).
ChartPoint ChartPointOf(LinTableKind kind, double measured, double corrected);

// The drawn curve for the cell texts: the points up to the first cell that
// does not hold a number.
std::vector<ChartPoint> ChartCurve(LinTableKind kind, const std::array<std::string, TableValues>& cells);

// The scale label i (0..10): 100 - 20·i for the LVDT table, 100 - 10·i for a
// solenoid table.
int ScaleValue(LinTableKind kind, int i);

// ---- editing -------------------------------------------------------------------

struct LinTableAnswer {
  LinTableWords words{};
  bool use = false;
};

class LinTableEditor {
 public:
  virtual ~LinTableEditor() = default;
  // Shows the table; the words to write and the use flag on OK, nothing on cancel.
  virtual std::optional<LinTableAnswer> Edit(LinTableKind kind, const LinTableWords& words, bool use) = 0;
};

// Reads the table's block, lets the editor change it and on OK writes the 22
// registers in order, then sets the use flag. A failed write leaves the flag.
void EditLinTable(link::Port& port, LinTableKind kind, bool& useFlag, LinTableEditor& editor);

}  // namespace tvx::service
