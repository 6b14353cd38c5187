// What tarvelmundix-cli prints for scripts and people: the port's open
// failure, the machine-readable status and identity (CSV and JSON), and the
// check of standard output at the end.
#pragma once

#include "cli/cli_view.h"
#include "platform/serial_port.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tvx::cli {

// One line: which port, which device, why it cannot be opened and what helps.
std::string PortFailureLine(int comNumber, const std::string& device, const platform::SerialOpenFailure& failure);

// A JSON string literal.
std::string JsonString(const std::string& text);

// The units some status values take from the valve's modes.
struct StatusUnits {
  bool lvdt = false;          // set positions in V, else set currents in A
  bool voltageInput = false;  // IN2 in V, else in mA
};

// The status columns in their fixed order, units in the names ("Usupply_V").
std::vector<std::string> StatusColumnNames(const StatusUnits& units);
// "time," and the columns, with a line end.
std::string StatusCsvHeader(const StatusUnits& units);
// One row: numbers only, with "." as decimal point; a value not shown (no
// LVDT, a level that does not show it, no stop) is an empty cell.
std::string StatusCsvRow(const CliView& view, const StatusUnits& units, const std::string& time);
// The same as one JSON object on one line (null for an empty cell).
std::string StatusJson(const CliView& view, const StatusUnits& units, const std::string& time);

// Items of `info` as one JSON object: each value is a JSON literal already.
std::string JsonObject(const std::vector<std::pair<std::string, std::string>>& items);

// The number at the start of a shown text ("24.16 V" gives "24.16"); empty
// when it starts with no finite number ("---", "NAN", "???").
std::string NumberOf(const std::string& text);

// Standard output checked once everything is written: a failed write (a full
// disk, a closed pipe) gives exit code 3 with a message, never 0.
int FinishStandardOutput(std::ostream& out, std::ostream& err, int code);

}  // namespace tvx::cli
