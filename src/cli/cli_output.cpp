#include "cli/cli_output.h"

#include "cli/cli.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <system_error>

namespace tvx::cli {

std::string PortFailureLine(int comNumber, const std::string& device, const platform::SerialOpenFailure& failure) {
  std::string line = std::string(ProgramName) + ": cannot open COM" + std::to_string(comNumber) + " (" + device + "): ";
  switch (failure.fault) {
    case platform::SerialOpenFault::Missing:
      return line + "no such device; is the valve plugged in and its USB cable connected?";
    case platform::SerialOpenFault::NotTerminal:
      return line + "not a serial port (it must be a terminal device, such as /dev/ttyACM0)";
    case platform::SerialOpenFault::Permission:
      return line +
             "permission denied; join the dialout group (sudo usermod -aG dialout $USER, then log in again) or "
             "install the udev rule as the README describes";
    case platform::SerialOpenFault::Busy:
      return line + "another program holds the port (the window or another " + ProgramName + "); close it there first";
    case platform::SerialOpenFault::Other:
    case platform::SerialOpenFault::None: break;
  }
  return line +
         (failure.error != 0 ? std::generic_category().message(failure.error) : std::string("it cannot be set up"));
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char ch : text) {
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (ch < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", ch);
          out += code;
        } else {
          out += static_cast<char>(ch);
        }
    }
  }
  return out + "\"";
}

namespace {

enum class Kind { Number, Text };

struct Column {
  std::string_view component;
  std::string_view name;
  Kind kind = Kind::Number;
};

// StopText is no component of the window: the stop code in words, as the stop
// label's hint lists it.
constexpr Column Columns[] = {
    {"Info_Usupply", "Usupply_V"},         {"Info_Upower", "Upower_V"},
    {"Info_Temp", "Temperature_C"},        {"Info_Coil_A_Iavg", "Coil_A_Iavg_A"},
    {"Info_Coil_B_Iavg", "Coil_B_Iavg_A"}, {"Info_Lvdt", "Lvdt_V"},
    {"Info_Usupply_Max", "Usupply_Max_V"}, {"Info_IN2_Value", "IN2"},  // unit from the input
    {"Info_Lvdt_PID", "Lvdt_PID_V"},       {"Coil_A_Peak", "Coil_A_Peak_A"},
    {"Coil_B_Peak", "Coil_B_Peak_A"},      {"Coil_A_Set", "Coil_A_Set"},  // unit from the LVDT mode
    {"Coil_B_Set", "Coil_B_Set"},          {"DAC_Value", "DAC_Value"},
    {"StopCodeLabel", "StopCode"},         {"StopInfo", "StopInfo", Kind::Text},
    {"StopText", "StopText", Kind::Text},
};

std::string NameOf(const Column& c, const StatusUnits& units) {
  if (c.name == "IN2") return units.voltageInput ? "IN2_V" : "IN2_mA";
  if (c.name == "Coil_A_Set" || c.name == "Coil_B_Set") return std::string(c.name) + (units.lvdt ? "_V" : "_A");
  return std::string(c.name);
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \n\r\t") - first + 1);
}

// The cell of a column: its number, or its text.
std::string Cell(const CliView& view, const Column& c) {
  std::string text = Trim(view.text(c.component));
  if (c.kind == Kind::Text) return text;
  if (c.component == "StopCodeLabel") {
    // "STOP  15": the code.
    const auto blank = text.find_last_of(' ');
    return NumberOf(blank == std::string::npos ? text : text.substr(blank + 1));
  }
  return NumberOf(text);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + "\"";
}

}  // namespace

std::string NumberOf(const std::string& text) {
  std::string token = text.substr(0, text.find(' '));
  for (char& ch : token)
    if (ch == ',') ch = '.';
  double value = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) return {};
  return token;
}

std::vector<std::string> StatusColumnNames(const StatusUnits& units) {
  std::vector<std::string> names;
  names.reserve(std::size(Columns));
  for (const Column& c : Columns) names.push_back(NameOf(c, units));
  return names;
}

std::string StatusCsvHeader(const StatusUnits& units) {
  std::string line = "time";
  for (const std::string& name : StatusColumnNames(units)) line += "," + name;
  return line + "\n";
}

std::string StatusCsvRow(const CliView& view, const StatusUnits&, const std::string& time) {
  std::string row = time;
  for (const Column& c : Columns) row += "," + CsvField(Cell(view, c));
  return row + "\n";
}

std::string StatusJson(const CliView& view, const StatusUnits& units, const std::string& time) {
  std::vector<std::pair<std::string, std::string>> items{{"time", JsonString(time)}};
  for (const Column& c : Columns) {
    const std::string cell = Cell(view, c);
    items.emplace_back(NameOf(c, units), cell.empty() ? "null" : c.kind == Kind::Text ? JsonString(cell) : cell);
  }
  return JsonObject(items);
}

std::string JsonObject(const std::vector<std::pair<std::string, std::string>>& items) {
  std::string out = "{";
  for (const auto& [key, value] : items) out += (out.size() > 1 ? ", " : "") + JsonString(key) + ": " + value;
  return out + "}\n";
}

int FinishStandardOutput(std::ostream& out, std::ostream& err, int code) {
  out.flush();
  if (out) return code;
  err << ProgramName << ": cannot write standard output (disk full, or the reader has gone)\n";
  return ExitFileError;
}

}  // namespace tvx::cli
