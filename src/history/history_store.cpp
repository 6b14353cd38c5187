#include "history/history_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

#include <atomic>

namespace tvx::history {

namespace {

const QString SqliteDriver = QStringLiteral("QSQLITE");
const QString PostgresDriver = QStringLiteral("QPSQL");

bool IsPostgres(const QString& location) {
  return location.startsWith(QStringLiteral("postgresql://")) || location.startsWith(QStringLiteral("postgres://"));
}

QString NewConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("tvx-history-%1").arg(++counter);
}

// The schema, one list of statements per version; "%ID%" is the dialect's
// self-numbering key. Version n+1's statements move a database of version n
// forward; a version is never changed once released.
const std::vector<std::vector<QString>>& Migrations() {
  static const std::vector<std::vector<QString>> steps = {
      {
          QStringLiteral("CREATE TABLE valves (id %ID%, serial_number TEXT NOT NULL UNIQUE, "
                         "device_type TEXT NOT NULL, firmware TEXT NOT NULL)"),
          QStringLiteral("CREATE TABLE records (id %ID%, valve_id BIGINT NOT NULL REFERENCES valves(id), "
                         "time_utc TEXT NOT NULL, utc_offset INTEGER NOT NULL, host TEXT NOT NULL, "
                         "user_name TEXT NOT NULL, access_level INTEGER NOT NULL, operation TEXT NOT NULL, "
                         "config_word BIGINT, active_profile INTEGER, words TEXT NOT NULL, banks TEXT, "
                         "sent TEXT NOT NULL, changes TEXT NOT NULL)"),
          QStringLiteral("CREATE INDEX records_by_valve ON records (valve_id, id)"),
      },
  };
  return steps;
}

// Qt binds a null string as SQL NULL; the text columns hold "" instead.
QString Text(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }

QString TimeText(const QDateTime& time) { return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")); }

QDateTime TimeFrom(const QString& utc, int offsetSeconds) {
  QDateTime t = QDateTime::fromString(utc, Qt::ISODateWithMs);
  t.setTimeSpec(Qt::UTC);
  return t.toOffsetFromUtc(offsetSeconds);
}

}  // namespace

QString LocalLocation() {
  if (QCoreApplication::applicationName().isEmpty())
    QCoreApplication::setApplicationName(QStringLiteral("tarvelmundix"));
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history.sqlite");
}

namespace {
QSettings UserSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tarvelmundix"),
                   QStringLiteral("tarvelmundix"));
}
const QString SettingsKey = QStringLiteral("history/database");
}  // namespace

QString SettingsLocation() { return UserSettings().value(SettingsKey).toString(); }

void SetSettingsLocation(const QString& location) {
  QSettings settings = UserSettings();
  if (location.isEmpty()) settings.remove(SettingsKey);
  else settings.setValue(SettingsKey, location);
}

QString ConfiguredLocation() {
  QString chosen = qEnvironmentVariable(HistoryVariable);
  if (chosen.isEmpty()) chosen = SettingsLocation();
  return chosen.isEmpty() ? LocalLocation() : chosen;
}

void LoadDrivers(const QString& location) {
  QStringList drivers{SqliteDriver};
  if (IsPostgres(location)) drivers << PostgresDriver;
  for (const QString& driver : drivers) {
    if (!QSqlDatabase::isDriverAvailable(driver)) continue;
    // Making a connection makes the driver, which loads its library; the
    // library stays loaded after the connection is gone.
    const QString name = NewConnectionName();
    QSqlDatabase::addDatabase(driver, name);
    QSqlDatabase::removeDatabase(name);
  }
}

QString ShownLocation(const QString& location) {
  if (!IsPostgres(location)) return QDir::toNativeSeparators(location);
  QUrl url(location);
  url.setPassword(QString());
  return url.toString();
}

struct HistoryStore::Db {
  QString location;
  QString name;
  bool postgres = false;

  QSqlDatabase database() const { return QSqlDatabase::database(name, false); }
  ~Db() {
    {
      QSqlDatabase d = database();
      if (d.isOpen()) d.close();
    }
    QSqlDatabase::removeDatabase(name);
  }
};

namespace {

// Runs one statement; the error text on failure.
std::optional<QString> Exec(QSqlDatabase& d, const QString& sql) {
  QSqlQuery q(d);
  if (q.exec(sql)) return std::nullopt;
  return q.lastError().text();
}

}  // namespace

HistoryStore::HistoryStore(const QString& location, Warning warning, const QString& fallback)
    : warning_(std::move(warning)), fallback_(IsPostgres(location) ? fallback : QString()) {
  if (const auto reason = open(location)) {
    if (!fallback_.isEmpty()) switchToFallback(*reason);
    else fail(ShownLocation(location), *reason);
  }
}

HistoryStore::~HistoryStore() = default;

bool HistoryStore::usable() const { return db_ != nullptr; }

QString HistoryStore::location() const { return db_ ? db_->location : QString(); }

void HistoryStore::fail(const QString& where, const QString& reason) {
  if (warned_ || !warning_) return;
  warned_ = true;
  warning_(QStringLiteral("Historia zaworów (%1) jest niedostępna: %2.\nPraca z zaworem trwa, ale tej operacji nie "
                          "ma w historii.")
               .arg(where, reason.trimmed()));
}

void HistoryStore::switchToFallback(const QString& reason) {
  db_.reset();
  const QString local = fallback_;
  fallback_.clear();
  const auto localFailure = open(local);
  if (warned_ || !warning_) return;
  warned_ = true;
  if (!localFailure) {
    warning_(
        QStringLiteral("Wspólna baza historii zaworów jest niedostępna (%1).\nHistoria jest zapisywana lokalnie: %2")
            .arg(reason.trimmed(), ShownLocation(local)));
  } else {
    warning_(QStringLiteral("Wspólna baza historii zaworów jest niedostępna (%1), lokalna (%2) także (%3).\nPraca z "
                            "zaworem trwa, ale tej operacji nie ma w historii.")
                 .arg(reason.trimmed(), ShownLocation(local), localFailure->trimmed()));
  }
}

std::optional<QString> HistoryStore::open(const QString& location) {
  auto db = std::make_unique<Db>();
  db->location = location;
  db->name = NewConnectionName();
  db->postgres = IsPostgres(location);
  const QString driver = db->postgres ? PostgresDriver : SqliteDriver;
  if (!QSqlDatabase::isDriverAvailable(driver)) return QStringLiteral("brak sterownika Qt SQL %1").arg(driver);
  {
    QSqlDatabase d = QSqlDatabase::addDatabase(driver, db->name);
    if (db->postgres) {
      const QUrl url(location);
      const QUrlQuery query(url);
      d.setHostName(query.hasQueryItem(QStringLiteral("host")) ? query.queryItemValue(QStringLiteral("host"))
                                                               : url.host());
      if (url.port() > 0) d.setPort(url.port());
      d.setUserName(url.userName());
      d.setPassword(url.password());
      d.setDatabaseName(url.path().mid(1));
      d.setConnectOptions(QStringLiteral("connect_timeout=5"));
    } else {
      const QFileInfo file(location);
      QDir().mkpath(file.absolutePath());
      d.setDatabaseName(location);
      d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    if (!d.open()) return d.lastError().text();
    if (!db->postgres) {
      // WAL lets several processes read while one writes. A file that is no
      // SQLite database fails here.
      if (auto e = Exec(d, QStringLiteral("PRAGMA journal_mode=WAL"))) return *e;
      // In WAL mode this survives a crash of the program; a record costs no
      // disk flush, so recording never holds up the work.
      Exec(d, QStringLiteral("PRAGMA synchronous=NORMAL"));
    } else {
      // The server's notices ("relation ... already exists, skipping" on every
      // opening) would reach the user's terminal through the client library.
      Exec(d, QStringLiteral("SET client_min_messages TO WARNING"));
    }
    // Bring the schema to this program's version, one process at a time.
    if (auto e = Exec(d, db->postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"))) return *e;
    auto migrate = [&]() -> std::optional<QString> {
      if (db->postgres) {
        if (auto e = Exec(d, QStringLiteral("SELECT pg_advisory_xact_lock(5107221)"))) return e;
      }
      if (auto e = Exec(d, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")))
        return e;
      QSqlQuery q(d);
      if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version"))) return q.lastError().text();
      const int version = q.next() ? q.value(0).toInt() : 0;
      q.finish();
      if (version > SchemaVersion)
        return QStringLiteral("jej schemat (wersja %1) jest nowszy niż ten program zna (wersja %2)")
            .arg(version)
            .arg(SchemaVersion);
      const QString id =
          db->postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
      for (int v = version; v < SchemaVersion; ++v) {
        for (QString sql : Migrations()[static_cast<std::size_t>(v)]) {
          if (auto e = Exec(d, sql.replace(QStringLiteral("%ID%"), id))) return e;
        }
        if (auto e = Exec(d, QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(v + 1))) return e;
      }
      return Exec(d, QStringLiteral("COMMIT"));
    };
    if (auto e = migrate()) {
      Exec(d, QStringLiteral("ROLLBACK"));
      return e;
    }
  }
  db_ = std::move(db);
  return std::nullopt;
}

namespace {

ValveRecord RecordFrom(const QSqlQuery& q) {
  ValveRecord r;
  r.id = q.value(0).toLongLong();
  r.valve.serialNumber = q.value(1).toString();
  r.valve.deviceType = q.value(2).toString();
  r.valve.firmware = q.value(3).toString();
  r.time = TimeFrom(q.value(4).toString(), q.value(5).toInt());
  r.host = q.value(6).toString();
  r.user = q.value(7).toString();
  r.accessLevel = q.value(8).toInt();
  r.operation = q.value(9).toString();
  if (!q.value(10).isNull()) r.configWord = static_cast<std::uint32_t>(q.value(10).toLongLong());
  if (!q.value(11).isNull()) r.activeProfile = q.value(11).toInt();
  if (const auto words = WordsFromText(q.value(12).toString())) r.words = *words;
  if (!q.value(13).isNull()) r.banks = BanksFromText(q.value(13).toString());
  r.sent = q.value(14).toString();
  r.changes = q.value(15).toString();
  return r;
}

const QString RecordColumns = QStringLiteral(
    "SELECT r.id, v.serial_number, v.device_type, v.firmware, r.time_utc, r.utc_offset, r.host, r.user_name, "
    "r.access_level, r.operation, r.config_word, r.active_profile, r.words, r.banks, r.sent, r.changes "
    "FROM records r JOIN valves v ON v.id = r.valve_id ");

}  // namespace

std::optional<qint64> HistoryStore::add(const ValveRecord& record) { return addAll({&record, 1}); }

std::optional<qint64> HistoryStore::addAll(std::span<const ValveRecord> records) {
  if (records.empty()) return std::nullopt;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!db_) return std::nullopt;
    QString reason;
    {
      QSqlDatabase d = db_->database();
      auto insert = [&](const ValveRecord& record) -> std::optional<qint64> {
        QSqlQuery q(d);
        q.prepare(QStringLiteral(
            "INSERT INTO valves (serial_number, device_type, firmware) VALUES (?, ?, ?) ON CONFLICT (serial_number) "
            "DO UPDATE SET device_type = excluded.device_type, firmware = excluded.firmware RETURNING id"));
        q.addBindValue(Text(record.valve.serialNumber));
        q.addBindValue(Text(record.valve.deviceType));
        q.addBindValue(Text(record.valve.firmware));
        if (!q.exec() || !q.next()) {
          reason = q.lastError().text();
          return std::nullopt;
        }
        const qint64 valve = q.value(0).toLongLong();
        q.finish();
        QSqlQuery r(d);
        r.prepare(QStringLiteral(
            "INSERT INTO records (valve_id, time_utc, utc_offset, host, user_name, access_level, operation, "
            "config_word, active_profile, words, banks, sent, changes) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
            "RETURNING id"));
        r.addBindValue(valve);
        r.addBindValue(TimeText(record.time));
        r.addBindValue(record.time.offsetFromUtc());
        r.addBindValue(Text(record.host));
        r.addBindValue(Text(record.user));
        r.addBindValue(record.accessLevel);
        r.addBindValue(Text(record.operation));
        r.addBindValue(record.configWord ? QVariant(static_cast<qlonglong>(*record.configWord))
                                         : QVariant(QMetaType::fromType<qlonglong>()));
        r.addBindValue(record.activeProfile ? QVariant(*record.activeProfile) : QVariant(QMetaType::fromType<int>()));
        r.addBindValue(WordsText(record.words));
        r.addBindValue(record.banks ? QVariant(BanksText(*record.banks)) : QVariant(QMetaType::fromType<QString>()));
        r.addBindValue(Text(record.sent));
        r.addBindValue(Text(record.changes));
        if (!r.exec() || !r.next()) {
          reason = r.lastError().text();
          return std::nullopt;
        }
        const qint64 id = r.value(0).toLongLong();
        r.finish();  // a statement left open would keep the transaction from ending
        return id;
      };
      // One transaction, so a record never names a valve row that is not there
      // (and a batch goes in whole or not at all).
      if (auto e = Exec(d, db_->postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"))) {
        reason = *e;
      } else if (const auto id = [&] {
                   std::optional<qint64> last;
                   for (const ValveRecord& record : records)
                     if (!(last = insert(record))) break;
                   return last;
                 }()) {
        const auto commit = Exec(d, QStringLiteral("COMMIT"));
        if (!commit) return id;
        reason = *commit;
        Exec(d, QStringLiteral("ROLLBACK"));
      } else {
        Exec(d, QStringLiteral("ROLLBACK"));
      }
    }
    if (reason.isEmpty()) reason = QStringLiteral("zapis nie powiódł się");
    if (db_->postgres && !fallback_.isEmpty()) {
      // The server went away: the rest of the run records locally.
      switchToFallback(reason);
      continue;
    }
    fail(ShownLocation(db_->location), reason);
    return std::nullopt;
  }
  return std::nullopt;
}

std::vector<RecordSummary> HistoryStore::list(const QString& serialNumber, int limit) {
  std::vector<RecordSummary> out;
  if (!db_) return out;
  QSqlDatabase d = db_->database();
  QSqlQuery q(d);
  q.setForwardOnly(true);
  q.prepare(QStringLiteral(
      "SELECT r.id, r.time_utc, r.utc_offset, r.user_name, r.host, r.access_level, r.operation, r.changes, "
      "r.banks IS NOT NULL FROM records r WHERE r.valve_id = (SELECT id FROM valves WHERE serial_number = ?) "
      "ORDER BY r.id DESC LIMIT ?"));
  q.addBindValue(serialNumber);
  q.addBindValue(limit);
  if (!q.exec()) {
    fail(ShownLocation(db_->location), q.lastError().text());
    return out;
  }
  while (q.next()) {
    RecordSummary s;
    s.id = q.value(0).toLongLong();
    s.time = TimeFrom(q.value(1).toString(), q.value(2).toInt());
    s.user = q.value(3).toString();
    s.host = q.value(4).toString();
    s.accessLevel = q.value(5).toInt();
    s.operation = q.value(6).toString();
    s.changes = q.value(7).toString();
    s.hasBanks = q.value(8).toBool();
    out.push_back(std::move(s));
  }
  return out;
}

std::vector<QString> HistoryStore::valves() {
  std::vector<QString> out;
  if (!db_) return out;
  QSqlDatabase d = db_->database();
  QSqlQuery q(d);
  if (!q.exec(QStringLiteral("SELECT v.serial_number FROM valves v ORDER BY (SELECT MAX(id) FROM records r WHERE "
                             "r.valve_id = v.id) DESC"))) {
    fail(ShownLocation(db_->location), q.lastError().text());
    return out;
  }
  while (q.next()) out.push_back(q.value(0).toString());
  return out;
}

std::optional<ValveRecord> HistoryStore::record(qint64 id) {
  if (!db_) return std::nullopt;
  QSqlDatabase d = db_->database();
  QSqlQuery q(d);
  q.prepare(RecordColumns + QStringLiteral("WHERE r.id = ?"));
  q.addBindValue(id);
  if (!q.exec()) {
    fail(ShownLocation(db_->location), q.lastError().text());
    return std::nullopt;
  }
  if (!q.next()) return std::nullopt;
  return RecordFrom(q);
}

std::optional<ValveRecord> HistoryStore::latestWithWords(const QString& serialNumber) {
  if (!db_) return std::nullopt;
  QSqlDatabase d = db_->database();
  QSqlQuery q(d);
  // Every word unknown is 128 times "--------".
  q.prepare(RecordColumns + QStringLiteral("WHERE v.serial_number = ? AND r.words <> ? ORDER BY r.id DESC LIMIT 1"));
  q.addBindValue(serialNumber);
  q.addBindValue(WordsText(SetWordsArray{}));
  if (!q.exec()) {
    fail(ShownLocation(db_->location), q.lastError().text());
    return std::nullopt;
  }
  if (!q.next()) return std::nullopt;
  return RecordFrom(q);
}

}  // namespace tvx::history
