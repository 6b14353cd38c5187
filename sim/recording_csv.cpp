#include "sim/recording_csv.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/wire.h"

namespace sim {

namespace {

constexpr double AmpsPerCount = 3.3 / 4096.0;

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    std::string f = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    f.erase(0, f.find_first_not_of(" \t"));
    f.erase(f.find_last_not_of(" \t\r") + 1);
    fields.push_back(f);
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

bool toDouble(const std::string& s, double& out) {
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// A float as the valve sends it; a number beyond a float's range is refused.
bool toFloat(const std::string& s, float& out) {
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool toCount(const std::string& s, std::uint32_t limit, std::uint32_t& out) {
  unsigned long long v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v > limit) return false;
  out = static_cast<std::uint32_t>(v);
  return true;
}

bool toRawCurrent(const std::string& s, std::uint16_t limit, std::uint16_t& out) {
  double amps = 0;
  if (!toDouble(s, amps) || !std::isfinite(amps) || amps < 0 || amps > 100) return false;
  out = static_cast<std::uint16_t>(std::clamp(std::lround(amps / AmpsPerCount), 0L, static_cast<long>(limit)));
  return true;
}

}  // namespace

std::optional<std::vector<TraceRecord>> parseRecordingCsv(const std::string& text, std::string& error) {
  std::vector<TraceRecord> records;
  std::istringstream in(text);
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    const auto fields = splitFields(line);
    double time = 0;
    if (lineNumber == 1 && !toDouble(fields[0], time)) continue;  // the header row
    const auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(lineNumber) + ": " + what;
      return std::nullopt;
    };
    if (fields.size() != 5 && fields.size() != 6) return fail("5 or 6 columns expected");
    if (records.size() == proto::TraceSamples) return fail("more than 500 samples");
    std::uint16_t a = 0, b = 0;
    float set = 0;
    // Coil A stops short of 0xFFFF, which would end the recording.
    if (!toRawCurrent(fields[1], 0xFFFE, a) || !toRawCurrent(fields[2], 0xFFFF, b))
      return fail("a current in A expected");
    if (!toFloat(fields[4], set)) return fail("a set value in V expected");
    std::uint32_t position = 0;
    if (fields.size() == 6) {
      std::uint32_t value = 0, mode = 0;
      if (!toCount(fields[3], 0xFFFF, value) || !toCount(fields[5], 0xFFFF, mode))
        return fail("a source value and a PID mode expected");
      position = mode << 16 | value;
    } else {
      float volts = 0;
      if (!toFloat(fields[3], volts)) return fail("a position in V expected");
      position = std::bit_cast<std::uint32_t>(volts);
    }
    records.push_back(makeTraceRecord(a, b, position, std::bit_cast<std::uint32_t>(set)));
  }
  if (records.empty()) {
    error = "no samples";
    return std::nullopt;
  }
  return records;
}

std::optional<std::vector<TraceRecord>> loadRecordingCsv(const std::string& path, std::string& error) {
  // A regular file of a recording's size: a FIFO or a device is never opened.
  constexpr std::uintmax_t MaxBytes = std::uintmax_t{1024} * 1024;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": not a regular file";
    return std::nullopt;
  }
  if (std::filesystem::file_size(path, ec) > MaxBytes) {
    error = path + ": too large for a recording";
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return std::nullopt;
  }
  std::string text(MaxBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(file.gcount()));
  if (text.size() > MaxBytes) {
    error = path + ": too large for a recording";
    return std::nullopt;
  }
  return parseRecordingCsv(text, error);
}

}  // namespace sim
