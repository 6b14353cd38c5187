#include "history/window_records.h"

#include "history/set_compare.h"
#include "params/config_word.h"
#include "params/conversions.h"
#include "params/register_map.h"

#include <exception>

namespace tvx::history {

namespace {

std::optional<std::uint32_t> WordOf(const SetWordsArray& words, int reg) {
  return words[static_cast<std::size_t>(reg - 1)];
}

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Remote control is switched in the window, not kept as a setting.
constexpr std::uint32_t ConfigurationCompared = ~params::BitMask(params::cfg::RemoteControl);

}  // namespace

std::vector<RecordLine> RecordLines(const std::vector<RecordSummary>& records) {
  std::vector<RecordLine> lines;
  lines.reserve(records.size());
  for (const RecordSummary& r : records) {
    QString who = r.user.isEmpty() ? r.host : r.user + QLatin1Char('@') + r.host;
    who += QStringLiteral(", poziom %1").arg(r.accessLevel);
    lines.push_back({r.id, r.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), who,
                     r.hasBanks ? r.operation + QStringLiteral(" (profile)") : r.operation, r.changes});
  }
  return lines;
}

std::vector<ComparedParameter> CompareWithWindow(const SetWordsArray& recorded, const params::ParameterView& window,
                                                 const params::HeldParameters& held) {
  params::MaskFloatingPointExceptions();
  const char sep = window.decimalSeparator();
  std::vector<ComparedParameter> out;
  for (const params::ParameterRegister& row : params::ParameterSet) {
    ComparedParameter c;
    c.reg = row.number;
    c.caption = ParameterCaption(row.number);
    const auto word = WordOf(recorded, row.number);
    c.recorded = word ? ParameterText(row.number, *word, sep) : QStringLiteral("?");
    std::optional<std::uint32_t> shownWord;
    bool fromField = false;
    if (row.holder == params::Holder::ConfigWord) {
      try {
        shownWord = params::ConfigurationWordOf(window, held);
      } catch (const std::exception&) {
        // A window without its options dialog cannot tell the word.
      }
      c.differs = word && shownWord && ((*word ^ *shownWord) & ConfigurationCompared) != 0;
    } else if (row.holder == params::Holder::Held) {
      shownWord = *held.WordOf(row.number);
      c.differs = word && *word != *shownWord;
    } else if (window.hasComponent(row.field)) {
      std::optional<view::FieldValue> value;
      try {
        value = window.fieldValue(row.field);
      } catch (const std::exception&) {
        // A field nothing was put into yet.
      }
      if (value) {
        fromField = true;
        c.window = Utf8(value->text);
        // By value: "2,5" is the recorded "2,500"; a text that does not convert differs.
        try {
          c.differs = word && params::FieldWord(row, *value) != *word;
        } catch (const std::exception&) {
          c.differs = word.has_value();
        }
      }
    }
    if (shownWord) c.window = ParameterText(row.number, *shownWord, sep);
    else if (!fromField) c.window = QStringLiteral("?");
    out.push_back(std::move(c));
  }
  return out;
}

bool HoldsSentSet(const SetWordsArray& words) {
  for (const params::ParameterRegister& row : params::ParameterSet)
    if (row.sent && !WordOf(words, row.number)) return false;
  return true;
}

void ShowRecordedSet(params::ParameterView& window, params::ValveState& valve, const SetWordsArray& words) {
  params::MaskFloatingPointExceptions();
  if (const auto config = WordOf(words, params::reg::Configuration))
    params::ShowConfigurationWord(window, valve, *config);
  const char sep = window.decimalSeparator();
  for (const params::ParameterRegister& row : params::ParameterSet) {
    const auto word = WordOf(words, row.number);
    if (!word || row.holder == params::Holder::ConfigWord) continue;
    if (row.holder == params::Holder::Held) {
      *valve.Held.WordOf(row.number) = *word;
      continue;
    }
    if (row.holder == params::Holder::OptionsDialog && !window.hasComponent(row.field)) continue;
    window.setValveText(row.field, params::FieldText(row, *word, sep), *word);
  }
}

QString RestoreOperation(qint64 record, bool store) {
  return QStringLiteral("Przywróć zapis %1 (%2)")
      .arg(record)
      .arg(store ? QStringLiteral("Zapisz") : QStringLiteral("Prześlij"));
}

}  // namespace tvx::history
