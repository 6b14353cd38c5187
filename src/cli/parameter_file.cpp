#include "cli/parameter_file.h"

#include "params/conversions.h"
#include "params/parameter_set.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>

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

std::uint32_t WordOf(const params::ParameterRegister& row, const QJsonValue& value, bool& givenAsWord) {
  const std::string name(row.field);
  givenAsWord = false;
  if (value.isString()) {
    if (const auto word = ParseHexWord(value.toString().toStdString())) {
      givenAsWord = true;
      return *word;
    }
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

// The key of an object in the JSON text at `pos` (a string token), decoded.
std::string KeyAt(const std::string& json, std::size_t& pos) {
  const std::size_t start = pos++;
  while (pos < json.size() && json[pos] != '"') pos += json[pos] == '\\' ? 2 : 1;
  ++pos;
  const QJsonDocument key =
      QJsonDocument::fromJson(QByteArray::fromStdString("[" + json.substr(start, pos - start) + "]"));
  return key.array().at(0).toString().toStdString();
}

// QJsonDocument keeps the last of two equal names in an object: the text is
// scanned for them. `json` is known to be valid JSON.
void RefuseDuplicateNames(const std::string& json) {
  struct Level {
    bool object;
    bool expectKey;
    std::set<std::string> names;
  };
  std::vector<Level> levels;
  for (std::size_t pos = 0; pos < json.size();) {
    const char ch = json[pos];
    if (ch == '"') {
      if (!levels.empty() && levels.back().object && levels.back().expectKey) {
        std::string name = KeyAt(json, pos);
        levels.back().expectKey = false;
        if (!levels.back().names.insert(name).second) throw FileError("\"" + name + "\" is given twice in one object");
      } else {
        KeyAt(json, pos);  // a string value: skipped
      }
      continue;
    }
    if (ch == '{' || ch == '[') levels.push_back({ch == '{', ch == '{', {}});
    else if (ch == '}' || ch == ']') levels.pop_back();
    else if (ch == ',' && !levels.empty() && levels.back().object) levels.back().expectKey = true;
    ++pos;
  }
}

template <typename T>
std::optional<T> ValveItem(const QJsonObject& valve, const char* key, std::optional<T> (*take)(const QJsonValue&)) {
  const QJsonValue value = valve.value(key);
  if (value.isUndefined()) return std::nullopt;
  std::optional<T> taken = take(value);
  if (!taken) throw FileError(std::string("valve: \"") + key + "\" has no value of its kind");
  return taken;
}

ValveDescription ParseValve(const QJsonValue& value) {
  if (value.isUndefined()) return {};
  if (!value.isObject()) throw FileError("\"valve\" is no JSON object");
  const QJsonObject valve = value.toObject();
  ValveDescription d;
  d.type = ValveItem<std::string>(valve, "type", [](const QJsonValue& v) -> std::optional<std::string> {
    if (!v.isString()) return std::nullopt;
    return v.toString().toStdString();
  });
  d.positions = ValveItem<int>(valve, "positions", [](const QJsonValue& v) -> std::optional<int> {
    if (v.isDouble() && (v.toDouble() == 2 || v.toDouble() == 3)) return v.toInt();
    return std::nullopt;
  });
  d.voltageInput = ValveItem<bool>(valve, "input", [](const QJsonValue& v) -> std::optional<bool> {
    if (v.toString() == QLatin1String("voltage")) return true;
    if (v.toString() == QLatin1String("current")) return false;
    return std::nullopt;
  });
  d.lvdt = ValveItem<bool>(valve, "lvdt", [](const QJsonValue& v) -> std::optional<bool> {
    if (!v.isBool()) return std::nullopt;
    return v.toBool();
  });
  return d;
}

// The bits of the configuration word that name an item.
std::uint32_t DefinedBits() {
  std::uint32_t mask = 0;
  for (const params::ConfigBit& b : params::ConfigBits) mask |= params::BitMask(b.bit);
  return mask;
}

}  // namespace

bool Writable(const params::ParameterRegister& row) { return row.sent && row.number != params::reg::Configuration; }

std::string_view UnitOf(const params::ParameterRegister& row) {
  const auto open = row.meaning.rfind('[');
  const auto close = row.meaning.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  return row.meaning.substr(open + 1, close - open - 1);
}

int ParameterFile::level() const {
  int level = 0;
  for (const ParameterValue& v : values) level = std::max(level, EditLevel(v.row->field));
  return level;
}

ParameterFile ParseParameterFile(const std::string& json) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  if (doc.isNull()) throw FileError("not a JSON file: " + error.errorString().toStdString());
  if (!doc.isObject()) throw FileError("the file holds no JSON object");
  RefuseDuplicateNames(json);
  const QJsonObject top = doc.object();

  ParameterFile file;
  for (auto it = top.begin(); it != top.end(); ++it) {
    const std::string key = it.key().toStdString();
    if (key == "valve") {
      file.valve = ParseValve(it.value());
    } else if (key == ConfigurationName) {
      const auto word = it.value().isString() ? ParseHexWord(it.value().toString().toStdString()) : std::nullopt;
      if (!word) throw FileError("configuration: expected a word such as \"0x00000005\"");
      if (const std::uint32_t undefined = *word & ~DefinedBits())
        throw FileError("configuration: bits " + Hex(undefined) + " name no item of the valve");
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
    ParameterValue v{row, 0};
    v.word = WordOf(*row, it.value(), v.givenAsWord);
    file.values.push_back(v);
  }
  return file;
}

std::string ParameterFileJson(const CliView& view, const params::HeldParameters& held, int level) {
  std::string out = "{\n  \"valve\": {";
  out += "\"serial\": " + Quoted(IdentityText(view.identity.serialNumber));
  out += ", \"type\": " + Quoted(IdentityText(view.identity.deviceType));
  out += ", \"firmware\": " + std::to_string(view.identity.firmware);
  out += ", \"positions\": " + std::string(view.configuration.positions3 ? "3" : "2");
  out += ", \"input\": " + std::string(view.configuration.voltageMode ? "\"voltage\"" : "\"current\"");
  out += ", \"lvdt\": " + std::string(view.configuration.lvdtMode ? "true" : "false") + "},\n";
  if (level >= EditLevel(ConfigurationName)) {
    // The configuration word as the window would send it back.
    out += "  \"configuration\": " + Quoted(Hex(params::ConfigurationWordOf(view, held))) + ",\n";
  }
  out += "  \"parameters\": {";
  bool first = true;
  for (const params::ParameterRegister& row : params::ParameterSet) {
    if (!Writable(row) || EditLevel(row.field) > level) continue;
    std::uint32_t word;
    if (row.holder == params::Holder::Held) {
      word = *held.WordOf(row.number);
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
