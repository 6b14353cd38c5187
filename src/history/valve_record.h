// One entry of the valve history: a parameter set the program read from a
// valve or wrote to it, with who, when and which operation. No Qt Widgets.
#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tvx::history {

inline constexpr int SetWords = 128;
// A parameter set as on the wire; a word the program did not know at the time
// (a write without a read before it) is empty.
using SetWordsArray = std::array<std::optional<std::uint32_t>, SetWords>;
// The three user profile banks, each 128 words.
using ProfileBanks = std::array<std::array<std::uint32_t, SetWords>, 3>;

struct ValveIdentity {
  QString serialNumber;
  QString deviceType;
  QString firmware;
};

struct ValveRecord {
  qint64 id = 0;
  ValveIdentity valve;
  QDateTime time;  // local time with its offset from UTC
  QString host;
  QString user;
  int accessLevel = 0;
  QString operation;
  std::optional<std::uint32_t> configWord;
  std::optional<int> activeProfile;
  SetWordsArray words{};
  std::optional<ProfileBanks> banks;
  // The operation's change-log line (what was sent) and, in words, what it
  // changed against the valve's record before it ("PWM [Hz] 2000 -> 1500").
  QString sent;
  QString changes;

  bool hasWords() const;
};

// The words as stored: 8 upper-case hex digits each, "--------" for an
// unknown word; and back (nothing for a text of the wrong form).
QString WordsText(const SetWordsArray& words);
std::optional<SetWordsArray> WordsFromText(const QString& text);
QString BanksText(const ProfileBanks& banks);
std::optional<ProfileBanks> BanksFromText(const QString& text);

}  // namespace tvx::history
