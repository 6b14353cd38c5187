// The history database on both back ends: what goes in comes out exactly,
// newest first, and every fault is one warning with the work going on.
#include "history/history_store.h"
#include "history/postgres_server.h"
#include "support/simulated_valve.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <iostream>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tvx::history {
namespace {

enum class Backend { Sqlite, Postgres };

struct Warnings {
  QStringList texts;
  HistoryStore::Warning sink() {
    return [this](const QString& text) {
      texts << text;
      std::cerr << "warning: " << text.toStdString() << '\n';
    };
  }
};

// Root writes into a read-only folder anyway: while this lives, the calling
// thread gives up overriding file permissions, as any other user is bound.
class PermissionsApply {
 public:
  PermissionsApply() {
    if (syscall(SYS_capget, &header_, saved_.data()) != 0) return;
    auto bound = saved_;
    bound[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    changed_ = syscall(SYS_capset, &header_, bound.data()) == 0;
  }
  ~PermissionsApply() {
    if (changed_) syscall(SYS_capset, &header_, saved_.data());
  }
  PermissionsApply(const PermissionsApply&) = delete;
  PermissionsApply& operator=(const PermissionsApply&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> saved_{};
  bool changed_ = false;
};

ValveRecord Sample(const QString& serial, std::uint32_t pwm) {
  ValveRecord r;
  r.valve = {serial, QStringLiteral("PRV-10 łódź"), QStringLiteral("V1.4")};
  r.time = QDateTime(QDate(2026, 12, 8), QTime(12, 45, 3, 250), Qt::OffsetFromUTC, 3600);
  r.host = QStringLiteral("serwis-pc");
  r.user = QStringLiteral("jan");
  r.accessLevel = 2;
  r.operation = QStringLiteral("Odczytaj");
  r.configWord = 0x80000001u;
  r.activeProfile = 2;
  for (int k = 0; k < SetWords; ++k) r.words[static_cast<std::size_t>(k)] = 0xFFFFFF00u + static_cast<std::uint32_t>(k);
  r.words[1] = pwm;
  r.words[127].reset();
  r.changes = QStringLiteral("PWM [Hz] 2000 -> 1500");
  return r;
}

class HistoryStoreTest : public ::testing::TestWithParam<Backend> {
 protected:
  QString location() {
    if (GetParam() == Backend::Sqlite) return QString::fromStdString((folder.path() / "history.sqlite").string());
    auto* server = testing::PostgresServer::Instance();
    if (!server) return {};
    return server->newDatabase();
  }
  QString local() const { return QString::fromStdString((folder.path() / "local.sqlite").string()); }
  void SetUp() override {
    where = location();
    if (where.isEmpty()) GTEST_SKIP() << "PostgreSQL is not installed (scripts/setup.sh --test)";
  }
  testing::TempFolder folder;
  QString where;
};

TEST_P(HistoryStoreTest, RecordsComeBackExactlyNewestFirstPerValveAcrossConnections) {
  Warnings w;
  std::optional<qint64> first, second;
  {
    HistoryStore store(where, w.sink(), local());
    ASSERT_TRUE(store.usable());
    ValveRecord withBanks = Sample(QStringLiteral("SN-1"), 2000);
    withBanks.banks = ProfileBanks{};
    (*withBanks.banks)[2][127] = 0xDEADBEEFu;
    first = store.add(withBanks);
    ASSERT_TRUE(store.add(Sample(QStringLiteral("SN-2"), 7)));
    // A second process on the same database at the same time.
    HistoryStore other(where, w.sink(), local());
    ValveRecord written = Sample(QStringLiteral("SN-1"), 1500);
    written.operation = QStringLiteral("Zapisz");
    written.words = {};
    written.configWord.reset();
    second = other.add(written);
  }
  ASSERT_TRUE(first && second);
  HistoryStore store(where, w.sink(), local());
  EXPECT_EQ(store.location(), where);
  const auto listed = store.list(QStringLiteral("SN-1"));
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].id, *second);
  EXPECT_EQ(listed[0].operation, QStringLiteral("Zapisz"));
  EXPECT_TRUE(listed[1].hasBanks);
  EXPECT_EQ(store.valves(), (std::vector<QString>{QStringLiteral("SN-1"), QStringLiteral("SN-2")}));

  const auto back = store.latestWithWords(QStringLiteral("SN-1"));  // the write knew no word
  ASSERT_TRUE(back);
  const ValveRecord expected = Sample(QStringLiteral("SN-1"), 2000);
  EXPECT_EQ(back->id, *first);
  EXPECT_EQ(back->words, expected.words);
  EXPECT_EQ(back->time, expected.time);
  EXPECT_EQ(back->time.offsetFromUtc(), 3600);
  EXPECT_EQ(back->valve.deviceType, expected.valve.deviceType);
  EXPECT_EQ(back->configWord, expected.configWord);
  EXPECT_EQ(back->activeProfile, expected.activeProfile);
  EXPECT_EQ(back->changes, expected.changes);
  ASSERT_TRUE(back->banks);
  EXPECT_EQ((*back->banks)[2][127], 0xDEADBEEFu);
  EXPECT_FALSE(store.record(*second)->configWord);
  EXPECT_TRUE(w.texts.isEmpty()) << w.texts.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryStoreTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& p) { return p.param == Backend::Sqlite ? "Sqlite" : "Postgres"; });

// Each damaged or unreachable database: one warning naming it, no record lost
// that could be kept, and the next run with a sound database goes on.
TEST(HistoryStoreFaults, EachFaultIsOneWarningAndWorkGoesOn) {
  testing::TempFolder folder;
  const QString dir = QString::fromStdString(folder.path().string());

  {  // a file that is not SQLite
    const QString file = dir + QStringLiteral("/notes.sqlite");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    Warnings w;
    HistoryStore store(file, w.sink());
    EXPECT_FALSE(store.usable());
    EXPECT_FALSE(store.add(Sample(QStringLiteral("SN-1"), 1)));
    EXPECT_FALSE(store.add(Sample(QStringLiteral("SN-1"), 2)));
    ASSERT_EQ(w.texts.size(), 1);
    EXPECT_TRUE(w.texts[0].contains(QStringLiteral("notes.sqlite"))) << w.texts[0].toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(4096, 'x'));  // left as it was
  }
  {  // a schema newer than the program's
    const QString file = dir + QStringLiteral("/newer.sqlite");
    { HistoryStore(file, nullptr).add(Sample(QStringLiteral("SN-1"), 1)); }
    {
      QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
      d.setDatabaseName(file);
      ASSERT_TRUE(d.open());
      QSqlQuery(d).exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(SchemaVersion + 1));
      d.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("newer"));
    Warnings w;
    HistoryStore store(file, w.sink());
    EXPECT_FALSE(store.add(Sample(QStringLiteral("SN-1"), 2)));
    ASSERT_EQ(w.texts.size(), 1);
    EXPECT_TRUE(w.texts[0].contains(QStringLiteral("nowszy"))) << w.texts[0].toStdString();
  }
  {  // a read-only folder
    const QString locked = dir + QStringLiteral("/locked");
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const PermissionsApply asUser;
    Warnings w;
    HistoryStore store(locked + QStringLiteral("/history.sqlite"), w.sink());
    EXPECT_FALSE(store.add(Sample(QStringLiteral("SN-1"), 1)));
    EXPECT_EQ(w.texts.size(), 1);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(
        HistoryStore(locked + QStringLiteral("/history.sqlite"), nullptr).add(Sample(QStringLiteral("SN-1"), 2)));
  }
  {  // a full disk: the file may not grow; the next run has room again
    const QString file = dir + QStringLiteral("/full.sqlite");
    Warnings w;
    {
      HistoryStore store(file, w.sink());
      ASSERT_TRUE(store.add(Sample(QStringLiteral("SN-1"), 1)));
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit old{};
      getrlimit(RLIMIT_FSIZE, &old);
      rlimit full = old;
      full.rlim_cur = static_cast<rlim_t>(QFileInfo(file).size() + QFileInfo(file + QStringLiteral("-wal")).size());
      setrlimit(RLIMIT_FSIZE, &full);
      int added = 0;
      for (int k = 0; k < 50; ++k) added += store.add(Sample(QStringLiteral("SN-1"), 2)) ? 1 : 0;
      setrlimit(RLIMIT_FSIZE, &old);
      EXPECT_LT(added, 50);
      EXPECT_EQ(w.texts.size(), 1);
    }
    HistoryStore next(file, w.sink());
    EXPECT_TRUE(next.add(Sample(QStringLiteral("SN-1"), 3)));
    EXPECT_EQ(next.list(QStringLiteral("SN-1")).front().id, next.latestWithWords(QStringLiteral("SN-1"))->id);
    EXPECT_EQ(w.texts.size(), 1);
  }
}

TEST(HistoryStoreFaults, AnUnreachableSharedDatabaseRecordsLocallyAndSaysSoOnce) {
  auto* server = testing::PostgresServer::Instance();
  if (!server) GTEST_SKIP() << "PostgreSQL is not installed (scripts/setup.sh --test)";
  testing::TempFolder folder;
  const QString local = QString::fromStdString((folder.path() / "local.sqlite").string());

  {  // the login is refused
    Warnings w;
    HistoryStore store(server->refusedLogin(), w.sink(), local);
    EXPECT_TRUE(store.add(Sample(QStringLiteral("SN-1"), 1)));
    EXPECT_EQ(store.location(), local);
    ASSERT_EQ(w.texts.size(), 1);
    EXPECT_TRUE(w.texts[0].contains(QStringLiteral("lokalnie"))) << w.texts[0].toStdString();
    EXPECT_FALSE(w.texts[0].contains(QStringLiteral("password")));
  }
  {  // the server goes away between two writes
    const QString shared = server->newDatabase();
    Warnings w;
    HistoryStore store(shared, w.sink(), local);
    ASSERT_TRUE(store.add(Sample(QStringLiteral("SN-2"), 1)));
    server->dropSessions(shared);
    EXPECT_TRUE(store.add(Sample(QStringLiteral("SN-2"), 2)));  // kept locally
    EXPECT_TRUE(store.add(Sample(QStringLiteral("SN-2"), 3)));
    EXPECT_EQ(store.location(), local);
    EXPECT_EQ(w.texts.size(), 1);
    EXPECT_EQ(HistoryStore(shared, nullptr).list(QStringLiteral("SN-2")).size(), 1u);  // the next run goes on there
    EXPECT_EQ(HistoryStore(local, nullptr).list(QStringLiteral("SN-2")).size(), 2u);
  }
}

// The database a run uses: the environment's, else the settings' (the
// options dialog), else the local file; a batch goes in as one.
TEST(HistoryLocation, TheEnvironmentWinsOverTheSettingWhichWinsOverTheLocalFile) {
  testing::TempFolder folder;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder.path().string()));
  const QString chosen = QString::fromStdString((folder.path() / "team.sqlite").string());
  {
    const testing::ScopedEnvironment none(HistoryVariable, "");
    EXPECT_EQ(ConfiguredLocation(), LocalLocation());
    SetSettingsLocation(chosen);
    EXPECT_EQ(ConfiguredLocation(), chosen);
  }
  {
    const testing::ScopedEnvironment given(HistoryVariable, "/tmp/elsewhere.sqlite");
    EXPECT_EQ(ConfiguredLocation(), QStringLiteral("/tmp/elsewhere.sqlite"));
  }
  SetSettingsLocation(QString());
  EXPECT_TRUE(SettingsLocation().isEmpty());

  HistoryStore store(chosen, nullptr);
  const std::vector<ValveRecord> batch{Sample(QStringLiteral("SN-1"), 1), Sample(QStringLiteral("SN-1"), 2)};
  const auto last = store.addAll(batch);
  ASSERT_TRUE(last);
  const auto listed = store.list(QStringLiteral("SN-1"));
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].id, *last);
}

}  // namespace
}  // namespace tvx::history
