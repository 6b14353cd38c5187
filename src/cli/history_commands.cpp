// The valve history on the command line: history, diff and restore.
#include "cli/cli_command.h"
#include "cli/cli_view.h"
#include "history/recorder.h"
#include "history/set_compare.h"
#include "history/window_records.h"
#include "link/change_log.h"
#include "params/conversions.h"
#include "params/held_parameters.h"
#include "params/parameter_set.h"
#include "params/register_map.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <iomanip>
#include <memory>
#include <variant>

namespace tvx::cli {

namespace {

// One per thread that talks to a valve: its database connection is used by
// that thread only.
thread_local std::unique_ptr<history::HistoryRecorder> recorder;

history::HistoryStore& Store(Context& c) {
  InstallHistory(c.io.err, AccessLevel(c.io, false));
  return recorder->store();
}

std::string Text(const QString& s) { return s.toStdString(); }

std::optional<qint64> RecordNumber(const std::string& text) {
  bool ok = false;
  const qint64 id = QString::fromStdString(text).toLongLong(&ok);
  return ok && id > 0 ? std::optional<qint64>(id) : std::nullopt;
}

// The record named on the command line, or the exit code after saying why.
std::variant<history::ValveRecord, int> FindRecord(Context& c, const std::string& text) {
  const auto id = RecordNumber(text);
  if (!id) return UsageError(c.io, "'" + text + "' is no record number", c.command.name);
  const auto record = Store(c).record(*id);
  if (!record) {
    c.io.err << ProgramName << ": no record " << text << " in the history\n";
    return int{ExitFileError};
  }
  if (!record->hasWords()) {
    c.io.err << ProgramName << ": record " << text << " holds no parameter words (" << Text(record->operation) << ")\n";
    return int{ExitFileError};
  }
  return *record;
}

QString TimeText(const QDateTime& t) { return t.toString(Qt::ISODate); }

// The serial number as the history keeps it: the valve's bytes as Latin-1, trimmed.
QString SerialOf(const CliView& view) { return QString::fromLatin1(view.identity.serialNumber).trimmed(); }

int History(Context& c) {
  history::HistoryStore& store = Store(c);
  if (!store.usable()) return ExitFileError;
  std::vector<QString> serials;
  if (const auto it = c.options.find("--serial"); it != c.options.end())
    serials.push_back(QString::fromStdString(it->second));
  else serials = store.valves();
  QJsonArray json;
  auto& out = c.io.out;
  for (const QString& serial : serials) {
    for (const auto& r : store.list(serial)) {
      if (c.has("--json")) {
        json.append(QJsonObject{{"record", r.id},
                                {"serial", serial},
                                {"time", TimeText(r.time)},
                                {"user", r.user},
                                {"host", r.host},
                                {"level", r.accessLevel},
                                {"operation", r.operation},
                                {"changes", r.changes},
                                {"banks", r.hasBanks}});
        continue;
      }
      out << std::left << std::setw(8) << r.id << std::setw(16) << Text(serial) << Text(TimeText(r.time)) << "  "
          << Text(r.user) << '@' << Text(r.host) << "  level " << r.accessLevel << "  " << Text(r.operation)
          << (r.hasBanks ? " (profiles)" : "") << (r.changes.isEmpty() ? "" : ": " + Text(r.changes)) << '\n';
    }
  }
  if (c.has("--json")) out << QJsonDocument(json).toJson().toStdString();
  return ExitDone;
}

int PrintDiff(Context& c, const history::ValveRecord& a, const QString& bName, const history::SetWordsArray& b) {
  const auto differences = history::Compare(a.words, b, '.', false);
  if (c.has("--json")) {
    QJsonArray rows;
    for (const auto& d : differences)
      rows.append(QJsonObject{{"register", d.reg}, {"parameter", d.caption}, {"a", d.before}, {"b", d.after}});
    c.io.out << QJsonDocument(QJsonObject{{"a", a.id}, {"b", bName}, {"differences", rows}}).toJson().toStdString();
    return ExitDone;
  }
  c.io.out << std::left << std::setw(34) << "PARAMETER" << std::setw(16) << ("#" + std::to_string(a.id))
           << Text(bName.startsWith('v') ? bName : "#" + bName) << '\n';
  for (const auto& d : differences)
    c.io.out << std::left << std::setw(34) << Text(d.caption) << std::setw(16) << Text(d.before) << Text(d.after)
             << '\n';
  if (differences.empty()) c.note("No parameter differs.");
  return ExitDone;
}

int Diff(Context& c) {
  const auto first = FindRecord(c, c.arguments[0]);
  if (const int* code = std::get_if<int>(&first)) return *code;
  const auto& a = std::get<history::ValveRecord>(first);
  if (c.arguments.size() < 2) {
    // Against the record before it: what the operation changed.
    for (const auto& r : Store(c).list(a.valve.serialNumber)) {
      if (r.id >= a.id) continue;
      const auto before = Store(c).record(r.id);
      if (before && before->hasWords()) return PrintDiff(c, *before, QString::number(a.id), a.words);
    }
    c.io.err << ProgramName << ": record " << a.id << " is the valve's first with parameter words\n";
    return ExitFileError;
  }
  if (c.arguments[1] != "valve") {
    const auto second = FindRecord(c, c.arguments[1]);
    if (const int* code = std::get_if<int>(&second)) return *code;
    const auto& b = std::get<history::ValveRecord>(second);
    return PrintDiff(c, a, QString::number(b.id), b.words);
  }
  return WithLink(c, [&] {
    CliView view;
    params::ReadParameterSet(c.port(), c.valve(), view);  // recorded as a read of its own
    const auto now = Store(c).latestWithWords(SerialOf(view));
    if (!now || SerialOf(view) != a.valve.serialNumber)
      c.note("Note: the valve connected is " + Text(SerialOf(view)) + ", the record's " + Text(a.valve.serialNumber) +
             ".");
    history::SetWordsArray words{};
    if (now) words = now->words;
    return PrintDiff(c, a, QStringLiteral("valve"), words);
  });
}

int Restore(Context& c) {
  const auto found = FindRecord(c, c.arguments[0]);
  if (const int* code = std::get_if<int>(&found)) return *code;
  const auto& record = std::get<history::ValveRecord>(found);
  if (!history::HoldsSentSet(record.words)) {
    c.io.err << ProgramName << ": record " << record.id << " does not hold the whole parameter set; nothing was sent\n";
    return ExitFileError;
  }
  if (const auto refused = RefusedBelow(c, HistoryLevel, "restoring a parameter set")) return *refused;
  return WithLink(c, [&] {
    CliView view;
    params::ReadParameterSet(c.port(), c.valve(), view);
    if (SerialOf(view) != record.valve.serialNumber && !c.has("--other-valve")) {
      c.io.err << ProgramName << ": refused: record " << record.id << " is of valve " << Text(record.valve.serialNumber)
               << ", the valve connected is " << Text(SerialOf(view))
               << " (--other-valve sends it anyway); nothing was sent\n";
      return int{ExitRefused};
    }
    FillView(view, c.valve(), record.words);
    CliQuestions questions(c.io.err);
    const bool store = c.has("--store");
    {
      link::ChangeLogScope logged(history::RestoreOperation(record.id, store).toStdString());
      logged.CommandsKeepParameters();
      params::SendParameterSet(c.port(), c.valve(), view, questions, store);
    }
    if (questions.errors > 0) return int{ExitFileError};
    c.note(std::string("Record ") + std::to_string(record.id) + (store ? " sent and stored." : " sent (not stored)."));
    return int{ExitDone};
  });
}

}  // namespace

void InstallHistory(std::ostream& err, int accessLevel) {
  if (!recorder) {
    recorder = std::make_unique<history::HistoryRecorder>([&err](const QString& text) {
      err << ProgramName << ": " << CliQuestions::Trimmed(text.toStdString()) << '\n';
    });
  }
  recorder->setAccessLevel(accessLevel);
}

void CloseHistory() { recorder.reset(); }

void FillView(params::RecordedView& view, params::ValveState& valve, const history::SetWordsArray& words) {
  history::ShowRecordedSet(view, valve, words);
}

const std::vector<Command>& HistoryCommands() {
  static const std::vector<Command> commands = {
      {"history",
       "",
       "the valve history: every parameter set read or written, newest first",
       {{"--serial", "S", "only the records of the valve with serial number S"}, {"--json", "", "as JSON"}},
       History},
      {"diff",
       "RECORD [RECORD|valve]",
       "compares a record with another, with the valve now, or (alone) with the record before it",
       {{"--json", "", "as JSON"}},
       Diff},
      {"restore",
       "RECORD",
       "sends the parameter set of a record to the valve (access level 2)",
       {{"--store", "", "store the set in the valve's EEPROM after sending it"},
        {"--other-valve", "", "send a record of another valve too"}},
       Restore},
  };
  return commands;
}

}  // namespace tvx::cli
