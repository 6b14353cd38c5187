#include "trace/trace_csv.h"

#include "trace/sampling.h"

#include <array>
#include <charconv>

namespace tvx::trace {

namespace {

constexpr std::array<const char*, LastSource> SourceColumns{"DAC", "PWM max", "PWM A", "PWM B", "PID A", "PID B"};

std::string ShortestFloat(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

const char* SourceColumn(int source) {
  return IsValidSource(static_cast<std::uint32_t>(source)) ? SourceColumns[static_cast<std::size_t>(source - 1)]
                                                           : SourceColumns[0];
}

}  // namespace

std::string TraceCsv(const TraceBuffer& buffer, int samples, double periodMs, const PositionMode& mode) {
  std::string csv = "t [ms],Ia [A],Ib [A],";
  csv += mode.reportDac ? SourceColumn(mode.source) : "Lv [V]";
  csv += ",Uz [V]";
  if (mode.reportDac) csv += ",PID Mode";
  csv += "\r\n";
  for (int n = 0; n < samples && n < SampleCount; ++n) {
    const TraceSample& s = buffer[static_cast<std::size_t>(n)];
    csv += FixedDecimals(n * periodMs, 4, '.');
    csv += ',' + FixedDecimals(Amps(s.coilA), 6, '.');
    csv += ',' + FixedDecimals(Amps(s.coilB), 6, '.');
    csv += ',' + (mode.reportDac ? std::to_string(s.SourceValue()) : ShortestFloat(s.PositionVolts()));
    csv += ',' + ShortestFloat(s.SetValueVolts());
    if (mode.reportDac) csv += ',' + std::to_string(s.PidMode());
    csv += "\r\n";
  }
  return csv;
}

}  // namespace tvx::trace
