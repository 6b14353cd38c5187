#include "cli/parameter_file.h"

#include "app/access_tags.h"
#include "params/conversions.h"
#include "params/valve_state.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tvx::cli {

namespace {

std::string Hex(std::uint32_t word) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%08X", word);
  return text;
}

std::string Number(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", x);
  return text;
}

std::optional<std::uint32_t> ParseHexWord(const std::string& text) {
  if (text.size() != 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  std::uint32_t word = 0;
  const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), word, 16);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return word;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned char>(c));
      out += esc;
      continue;
    }
    out += c;
  }
  return out + "\"";
}

// The JSON value of a word: a number, or the word itself for a float that is
// no finite number.
std::string JsonValue(const params::ParameterRegister& row, std::uint32_t word) {
  if (row.encoding != params::Encoding::Float) return std::to_string(word);
  const float value = params::WordToFloat(word);
  if (!std::isfinite(value)) return Quoted(Hex(word));
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::uint32_t WordOf(const params::ParameterRegister& row, const QJsonValue& value) {
  const std::string name(row.field);
  if (value.isString()) {
    if (const auto word = ParseHexWord(value.toString().toStdString())) return *word;
    throw FileError(name + ": \"" + value.toString().toStdString() + "\" is no number");
  }
  if (!value.isDouble()) throw FileError(name + ": the value is no number");
  const double x = value.toDouble();
  if (row.encoding == params::Encoding::Float) {
    if (std::fabs(x) > std::numeric_limits<float>::max())
      throw FileError(name + ": " + Number(x) + " is out of range of a single-precision float");
    return params::FloatToWord(static_cast<float>(x));
  }
  if (x != std::floor(x) || x < 0 || x > 4294967295.0)
    throw FileError(name + ": " + Number(x) + " is out of range (a whole number from 0 to 4294967295)");
  return static_cast<std::uint32_t>(x);
}

}  // namespace

int EditLevel(std::string_view name) {
  // The configuration word as a whole: its check boxes range up to level 2.
  if (name == ConfigurationName) return 2;
  const params::ParameterRegister* row = params::FindParameterByField(name);
  // Held words are changed by the service dialogs.
  if (row && row->holder == params::Holder::Held) return 3;
  const std::optional<std::uint16_t> tag = app::ControlTag(name);
  return tag ? std::max(app::OperateLevel(*tag), 1) : 1;
}

int ShowLevel(std::string_view name) {
  if (const std::optional<std::uint16_t> tag = app::ControlTag(name)) return std::max(app::ShownLevel(*tag), 1);
  return EditLevel(name);
}

bool Writable(const params::ParameterRegister& row) {
  return row.sent && row.number != params::reg::Configuration;
}

std::string_view UnitOf(const params::ParameterRegister& row) {
  const auto open = row.meaning.rfind('[');
  const auto close = row.meaning.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  return row.meaning.substr(open + 1, close - open - 1);
}

int ParameterFile::level() const {
  int level = configuration ? EditLevel(ConfigurationName) : 0;
  for (const ParameterValue& v : values) level = std::max(level, EditLevel(v.row->field));
  return level;
}

ParameterFile ParseParameterFile(const std::string& json) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  if (doc.isNull()) throw FileError("not a JSON file: " + error.errorString().toStdString());
  if (!doc.isObject()) throw FileError("the file holds no JSON object");
  const QJsonObject top = doc.object();

  ParameterFile file;
  for (auto it = top.begin(); it != top.end(); ++it) {
    const std::string key = it.key().toStdString();
    if (key == "valve") continue;
    if (key == ConfigurationName) {
      const auto word = it.value().isString() ? ParseHexWord(it.value().toString().toStdString()) : std::nullopt;
      if (!word) throw FileError("configuration: expected a word such as \"0x00000005\"");
      file.configuration = word;
    } else if (key != "parameters") {
      throw FileError("unknown item \"" + key + "\"");
    }
  }
  const QJsonValue parameters = top.value("parameters");
  if (!parameters.isUndefined() && !parameters.isObject()) throw FileError("\"parameters\" is no JSON object");
  const QJsonObject set = parameters.toObject();
  for (auto it = set.begin(); it != set.end(); ++it) {
    const std::string name = it.key().toStdString();
    const params::ParameterRegister* row = params::FindParameterByField(name);
    if (!row || !Writable(*row)) throw FileError("unknown parameter \"" + name + "\"");
    file.values.push_back({row, WordOf(*row, it.value())});
  }
  return file;
}

std::string ParameterFileJson(const CliView& view, int level) {
  std::string out = "{\n  \"valve\": {";
  out += "\"serial\": " + Quoted(IdentityText(view.serialNumber));
  out += ", \"type\": " + Quoted(IdentityText(view.deviceType));
  out += ", \"firmware\": " + std::to_string(view.firmware) + "},\n";
  if (level >= EditLevel(ConfigurationName)) {
    // The configuration word as the window would send it back.
    out += "  \"configuration\": " + Quoted(Hex(params::ConfigurationWordOf(view))) + ",\n";
  }
  out += "  \"parameters\": {";
  bool first = true;
  for (const params::ParameterRegister& row : params::ParameterSet) {
    if (!Writable(row) || EditLevel(row.field) > level) continue;
    std::uint32_t word;
    if (row.holder == params::Holder::Held) {
      word = *params::Held.WordOf(row.number);
    } else {
      const auto it = view.fields.find(row.field);
      if (it == view.fields.end() || !it->second.keptWord) continue;
      word = *it->second.keptWord;
    }
    out += first ? "\n" : ",\n";
    first = false;
    out += "    " + Quoted(row.field) + ": " + JsonValue(row, word);
  }
  out += "\n  }\n}\n";
  return out;
}

}  // namespace tvx::cli
