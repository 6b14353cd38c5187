// Keeps the valve history from what the program does anyway: every whole-set
// read and every operation of the change log becomes a record of the valve
// that the read named. Adds no exchange. One per process (the window, the
// command line tool); it opens the database on its first record.
#pragma once

#include "history/history_store.h"
#include "link/change_log.h"

#include <map>
#include <memory>
#include <optional>

namespace tvx::history {

class HistoryRecorder {
 public:
  explicit HistoryRecorder(HistoryStore::Warning warning, QString location = ConfiguredLocation());
  ~HistoryRecorder();
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  // The recorder installed on this thread (the one that exchanges with the
  // valve), if any.
  static HistoryRecorder* Current();

  void setAccessLevel(int level) { accessLevel_ = level; }
  HistoryStore& store();
  // Another database from now on (opened on the next use).
  void setLocation(const QString& location);
  // The last record this process added.
  std::optional<qint64> lastRecord() const { return last_; }

  // The three profile banks read from the valve (the backup), with the set
  // known now.
  std::optional<qint64> recordBanks(const QString& operation, const ProfileBanks& banks);

  void observe(const link::LoggedOperation& operation);
  // The serial number of the valve connected, as its read named it ("" before
  // a read since the port was opened).
  QString currentValve() const;

 private:
  std::optional<qint64> add(ValveRecord record, const link::LoggedOperation& operation);

  HistoryStore::Warning warning_;
  QString location_;
  std::unique_ptr<HistoryStore> store_;
  int accessLevel_ = 0;
  std::optional<qint64> last_;
  std::optional<link::LoggedOperation> lastSeen_;
  std::map<QString, SetWordsArray> latest_;  // per serial number: the newest words recorded
};

// A record's fields that tell who and when, filled from the computer now.
void StampRecord(ValveRecord& record, int accessLevel);

}  // namespace tvx::history
