#include "history/set_compare.h"

#include "params/conversions.h"
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
  if (reg == params::reg::Configuration) return QStringLiteral("Konfiguracja");
  const std::string_view meaning = row->meaning;
  QString unit;
  if (const auto open = meaning.rfind('['); open != std::string_view::npos)
    unit = QLatin1Char(' ') + QString::fromUtf8(meaning.substr(open).data(), static_cast<qsizetype>(meaning.size() - open));
  if (row->holder == params::Holder::Held || row->field.empty())
    return QString::fromUtf8(meaning.data(), static_cast<qsizetype>(meaning.size()));
  return QString::fromUtf8(row->field.data(), static_cast<qsizetype>(row->field.size())) + unit;
}

QString ParameterText(int reg, std::uint32_t word, char decimalSeparator) {
  const params::ParameterRegister* row = Row(reg);
  if (!row || row->encoding == params::Encoding::BitSet)
    return QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0')).toUpper();
  if (row->encoding == params::Encoding::YesNo)
    return params::WordToYesNo(word) ? QStringLiteral("tak") : QStringLiteral("nie");
  return QString::fromStdString(params::FieldText(*row, word, decimalSeparator));
}

std::vector<ParameterDifference> Compare(const SetWordsArray& before, const SetWordsArray& after,
                                         char decimalSeparator, bool knownOnly) {
  params::MaskFloatingPointExceptions();
  std::vector<ParameterDifference> out;
  for (int reg = 1; reg <= SetWords; ++reg) {
    const auto& b = before[static_cast<std::size_t>(reg - 1)];
    const auto& a = after[static_cast<std::size_t>(reg - 1)];
    if (b == a || (!a && !b)) continue;
    if (knownOnly && (!a || !b)) continue;
    out.push_back({reg, ParameterCaption(reg),
                   b ? ParameterText(reg, *b, decimalSeparator) : QStringLiteral("?"),
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
