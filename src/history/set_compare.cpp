#include "history/set_compare.h"

#include "params/conversions.h"
#include "params/parameter_names.h"
#include "params/register_map.h"

namespace tvx::history {

namespace {

const params::ParameterRegister* Row(int reg) {
  for (const auto& row : params::ParameterSet)
    if (row.number == reg) return &row;
  return nullptr;
}

}  // namespace

QString ParameterCaption(int reg) {
  const params::ParameterRegister* row = Row(reg);
  if (!row) return QStringLiteral("R%1").arg(reg, 3, 10, QLatin1Char('0'));
  if (reg == params::reg::Configuration) return QStringLiteral("Słowo konfiguracji");
  auto text = [](std::string_view t) { return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())); };
  // The window's words: the solenoid's group and the caption, with the unit.
  if (const params::ParameterName* name = params::FindParameterName(row->field)) {
    QString caption = text(name->name);
    if (name->section.starts_with("Elektromagnes")) caption = text(name->section) + QStringLiteral(": ") + caption;
    if (!name->unit.empty()) caption += QStringLiteral(" [") + text(name->unit) + QLatin1Char(']');
    return caption;
  }
  const std::string_view meaning = row->meaning;
  QString unit;
  if (const auto open = meaning.rfind('['); open != std::string_view::npos)
    unit = QLatin1Char(' ') + text(meaning.substr(open));
  if (row->holder == params::Holder::Held || row->field.empty()) return text(meaning);
  return text(row->field) + unit;
}

QString ParameterText(int reg, std::uint32_t word, char decimalSeparator) {
  const params::ParameterRegister* row = Row(reg);
  if (!row || row->encoding == params::Encoding::BitSet)
    return QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0')).toUpper();
  if (row->encoding == params::Encoding::YesNo)
    return params::WordToYesNo(word) ? QStringLiteral("tak") : QStringLiteral("nie");
  return QString::fromStdString(params::FieldText(*row, word, decimalSeparator));
}

std::vector<ParameterDifference> Compare(const SetWordsArray& before, const SetWordsArray& after, char decimalSeparator,
                                         bool knownOnly) {
  params::MaskFloatingPointExceptions();
  std::vector<ParameterDifference> out;
  for (int reg = 1; reg <= SetWords; ++reg) {
    const auto& b = before[static_cast<std::size_t>(reg - 1)];
    const auto& a = after[static_cast<std::size_t>(reg - 1)];
    if (b == a || (!a && !b)) continue;
    if (knownOnly && (!a || !b)) continue;
    out.push_back({reg, ParameterCaption(reg), b ? ParameterText(reg, *b, decimalSeparator) : QStringLiteral("?"),
                   a ? ParameterText(reg, *a, decimalSeparator) : QStringLiteral("?")});
  }
  return out;
}

QString ChangesText(const std::vector<ParameterDifference>& differences) {
  QStringList items;
  for (const auto& d : differences) items << d.caption + QLatin1Char(' ') + d.before + QStringLiteral(" -> ") + d.after;
  return items.join(QStringLiteral("; "));
}

}  // namespace tvx::history
