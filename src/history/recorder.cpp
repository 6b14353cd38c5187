#include "history/recorder.h"

#include "history/set_compare.h"

#include <QSysInfo>

namespace tvx::history {

namespace {

// One recorder per thread that exchanges with a valve (the change log it
// observes is the thread's).
thread_local HistoryRecorder* current = nullptr;
constexpr const char* UnknownValve = "?";

SetWordsArray WordsOf(const std::map<int, std::uint32_t>& known) {
  SetWordsArray words{};
  for (const auto& [reg, word] : known)
    if (reg >= 1 && reg <= SetWords) words[static_cast<std::size_t>(reg - 1)] = word;
  return words;
}

}  // namespace

void StampRecord(ValveRecord& record, int accessLevel) {
  record.time = QDateTime::currentDateTime();
  record.time.setOffsetFromUtc(record.time.offsetFromUtc());
  record.host = QSysInfo::machineHostName();
  record.user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
  record.accessLevel = accessLevel;
}

HistoryRecorder::HistoryRecorder(HistoryStore::Warning warning, QString location)
    : warning_(std::move(warning)), location_(std::move(location)) {
  LoadDrivers(location_);
  current = this;
  link::SetChangeLogObserver([this](const link::LoggedOperation& o) { observe(o); });
}

HistoryRecorder::~HistoryRecorder() {
  if (current == this) {
    link::SetChangeLogObserver(nullptr);
    current = nullptr;
  }
}

HistoryRecorder* HistoryRecorder::Current() { return current; }

QString HistoryRecorder::currentValve() const {
  // The change log forgets the valve when the port is opened or closed.
  const std::string serial = link::LoggedSerialNumber();
  return serial == UnknownValve ? QString() : QString::fromStdString(serial);
}

HistoryStore& HistoryRecorder::store() {
  if (!store_) store_ = std::make_unique<HistoryStore>(location_, warning_);
  return *store_;
}

void HistoryRecorder::setLocation(const QString& location) {
  if (location == location_) return;
  location_ = location;
  store_.reset();
  latest_.clear();
}

void HistoryRecorder::observe(const link::LoggedOperation& operation) {
  lastSeen_ = operation;
  if (operation.serialNumber == UnknownValve) return;
  ValveRecord record;
  record.operation = QString::fromStdString(operation.operation);
  record.sent = QString::fromStdString(operation.sent);
  record.words = WordsOf(operation.words);
  if (operation.banks.size() == std::size_t{3} * SetWords) {
    ProfileBanks banks{};
    for (std::size_t k = 0; k < operation.banks.size(); ++k) banks[k / SetWords][k % SetWords] = operation.banks[k];
    record.banks = banks;
  }
  add(std::move(record), operation);
}

std::optional<qint64> HistoryRecorder::recordBanks(const QString& operation, const ProfileBanks& banks) {
  // Only of the valve connected now.
  if (!lastSeen_ || lastSeen_->serialNumber == UnknownValve || lastSeen_->serialNumber != link::LoggedSerialNumber())
    return std::nullopt;
  ValveRecord record;
  record.operation = operation;
  record.words = WordsOf(lastSeen_->words);
  record.banks = banks;
  return add(std::move(record), *lastSeen_);
}

std::optional<qint64> HistoryRecorder::add(ValveRecord record, const link::LoggedOperation& operation) {
  StampRecord(record, accessLevel_);
  record.valve = {QString::fromStdString(operation.serialNumber), QString::fromStdString(operation.deviceType),
                  QString::fromStdString(operation.firmware)};
  record.activeProfile = operation.activeProfile;
  record.configWord = record.words[0];
  HistoryStore& s = store();
  auto previous = latest_.find(record.valve.serialNumber);
  if (previous == latest_.end() && s.usable()) {
    const auto before = s.latestWithWords(record.valve.serialNumber);
    previous = latest_.emplace(record.valve.serialNumber, before ? before->words : SetWordsArray{}).first;
  }
  if (previous != latest_.end()) record.changes = ChangesText(Compare(previous->second, record.words, ',', true));
  if (record.hasWords()) latest_[record.valve.serialNumber] = record.words;
  const auto id = s.add(record);
  if (id) last_ = id;
  return id;
}

}  // namespace tvx::history
