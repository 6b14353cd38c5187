// The commissioning report's content: the valve's identity, its parameter set
// with units (the items shown at the reader's access level), a status snapshot
// with the stop code in words and the regulation recording, read from the
// valve with the window's own sequences. No widget, no Qt: the window and the
// command line tool read it here and hand it to the PDF writer.
#pragma once

#include "link/port.h"
#include "trace/trace_data.h"
#include "view/questions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvx::report {

// One line of a table: what, its value, its unit ("" for none).
struct Entry {
  std::string name;
  std::string value;
  std::string unit;
};

struct Section {
  std::string title;
  std::vector<Entry> entries;
};

struct StopSnapshot {
  std::uint32_t code = 0;
  std::string caption;  // "STOP  20"
  std::string words;    // the code's description
  std::string info;     // the critical value, as the window shows it
};

// What the chart needs to draw the recording as the chart window does.
struct TraceSnapshot {
  bool read = false;  // false: no recording could be read
  trace::ChartScales scales;
  trace::TraceBuffer samples{};
  int drawn = 0;  // samples before the end marker
  std::uint32_t pwmHz = 0;
  std::uint32_t divider = 1;
  std::uint32_t channelMask = 0;
  int source = 1;
  bool threePositions = false;
  bool voltageInput = false;
  bool lvdt = false;
  bool reportDac = false;
  bool dynamicPid = false;
  std::string pidP, pidI, pidD;
  float dkp = 0, dki = 0, lkp = 0, lki = 0;
};

// Whether the working parameters equal the active profile as stored in the
// valve's non-volatile memory (a "Prześlij" without "Zapisz" leaves them
// different): the bank is read, never written.
struct StorageCheck {
  bool compared = false;  // false: the active profile is no user profile
  std::int64_t profile = 0;
  std::string summary;             // Polish, one or two lines ("\n" between them)
  std::vector<Entry> differences;  // the working value, with the stored one
  int hiddenDifferences = 0;       // among items not shown at the reader's level
};

struct ReportContent {
  std::string firmware;      // "Firmware: V1.4   03-11-2022"
  std::string serialNumber;  // UTF-8
  std::string deviceType;
  std::vector<Entry> identity;
  std::vector<Section> parameters;
  StorageCheck storage;
  std::vector<Entry> status;
  std::optional<StopSnapshot> stop;
  TraceSnapshot trace;
};

// Reads the report from the valve: the whole parameter set, the active
// profile's stored bank to compare it with, one status refresh, then the
// recording as the chart reads it. The program's values
// kept between a read and a send (the held words and flags) stay as they were:
// the report only looks. A failed exchange has been reported by CommError and
// ends the read with its exception.
// `shown` tells which items of the parameter set the reader's access level
// shows (as the window shows its fields).
using ShownItem = std::function<bool(std::string_view field)>;
ReportContent ReadReport(link::Port& port, const ShownItem& shown, char decimalSeparator, view::Questions& questions);

}  // namespace tvx::report
