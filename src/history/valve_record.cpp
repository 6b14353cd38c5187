#include "history/valve_record.h"

namespace tvx::history {

namespace {

constexpr qsizetype HexDigits = 8;
// One set's words as text: eight hex digits a word.
constexpr qsizetype WordsTextLength = SetWords * HexDigits;
const QString UnknownWord = QStringLiteral("--------");

}  // namespace

bool ValveRecord::hasWords() const {
  for (const auto& w : words)
    if (w) return true;
  return false;
}

QString WordsText(const SetWordsArray& words) {
  QString text;
  text.reserve(WordsTextLength);
  for (const auto& w : words)
    text += w ? QStringLiteral("%1").arg(*w, HexDigits, 16, QLatin1Char('0')).toUpper() : UnknownWord;
  return text;
}

std::optional<SetWordsArray> WordsFromText(const QString& text) {
  if (text.size() != WordsTextLength) return std::nullopt;
  SetWordsArray words{};
  for (qsizetype k = 0; k < SetWords; ++k) {
    const QString digits = text.mid(k * HexDigits, HexDigits);
    if (digits == UnknownWord) continue;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    words[static_cast<std::size_t>(k)] = value;
  }
  return words;
}

QString BanksText(const ProfileBanks& banks) {
  QString text;
  for (const auto& bank : banks) {
    SetWordsArray words{};
    for (std::size_t k = 0; k < bank.size(); ++k) words[k] = bank[k];
    text += WordsText(words);
  }
  return text;
}

std::optional<ProfileBanks> BanksFromText(const QString& text) {
  if (text.size() != 3 * WordsTextLength) return std::nullopt;
  ProfileBanks banks{};
  for (qsizetype b = 0; b < 3; ++b) {
    const auto words = WordsFromText(text.mid(b * WordsTextLength, WordsTextLength));
    if (!words) return std::nullopt;
    for (std::size_t k = 0; k < words->size(); ++k) {
      if (!(*words)[k]) return std::nullopt;
      banks[static_cast<std::size_t>(b)][k] = *(*words)[k];
    }
  }
  return banks;
}

}  // namespace tvx::history
