// The recording as CSV, for users who want the numbers rather than the
// picture: a header row, then one row per drawn sample with the time in ms,
// the coil currents in A, the position channel (volts, or the monitor
// source's value followed by the PID mode at the end of the row) and the set
// value in V. Decimal point ".", comma separated, UTF-8, CRLF line ends.
// Currents carry 6 decimals, which gives the raw value back exactly; floats
// are written in their shortest exact form ("nan" for no number).
#pragma once

#include "trace/chart_scale.h"
#include "trace/trace_data.h"

#include <string>

namespace tvx::trace {

std::string TraceCsv(const TraceBuffer& buffer, int samples, double periodMs, const PositionMode& mode);

}  // namespace tvx::trace
