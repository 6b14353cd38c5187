// A trace recording from a CSV file, as the tool exports it from its chart:
// a header row, then per sample the time in ms (ignored), the coil A and B
// currents in A, the position in V (or, in the six-column form, the monitor
// source's value with the PID mode as the last column) and the set value in V.
// Decimal point ".", comma separated. valve-sim serves it for demonstrations.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/valve_model.h"

namespace sim {

// At most 500 samples; nothing and a reason for a file that cannot be used.
std::optional<std::vector<TraceRecord>> parseRecordingCsv(const std::string& text, std::string& error);
std::optional<std::vector<TraceRecord>> loadRecordingCsv(const std::string& path, std::string& error);

}  // namespace sim
