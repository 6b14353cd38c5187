// The valve history's costs on both back ends: recording a set after a read,
// and listing a valve's history and comparing two of its records with 100,000
// records in the database. SQLite in a temporary folder; PostgreSQL on a
// throw-away server of its own (as the tests start one).
#include "history/postgres_server.h"
#include "history/recorder.h"
#include "history/set_compare.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

using namespace tvx;

link::LoggedOperation ReadOf(int valve, int k) {
  link::LoggedOperation o;
  o.serialNumber = "SN-" + std::to_string(valve);
  o.deviceType = "PRV-06";
  o.firmware = "V1.4";
  o.operation = "Odczytaj";
  o.read = true;
  for (int reg = 1; reg <= 128; ++reg) o.words[reg] = 0x3F800000u + static_cast<std::uint32_t>(reg * 7 + k % 3);
  o.activeProfile = 1;
  return o;
}

// The same read as a record, for filling the database in batches.
history::ValveRecord RecordOf(int valve, int k) {
  const link::LoggedOperation o = ReadOf(valve, k);
  history::ValveRecord r;
  history::StampRecord(r, 2);
  r.valve = {QString::fromStdString(o.serialNumber), QString::fromStdString(o.deviceType),
             QString::fromStdString(o.firmware)};
  r.operation = QString::fromStdString(o.operation);
  for (const auto& [reg, word] : o.words) r.words[static_cast<std::size_t>(reg - 1)] = word;
  r.configWord = r.words[0];
  r.activeProfile = o.activeProfile;
  return r;
}

void Measure(const char* name, const QString& location, int records) {
  history::HistoryRecorder recorder([](const QString& text) { std::printf("  warning: %s\n", qPrintable(text)); },
                                    location);
  constexpr int Valves = 100;
  QElapsedTimer fill;
  fill.start();
  // Batches of a thousand, each one transaction: the history of many visits,
  // not the cost of one (measured below).
  constexpr int Batch = 1000;
  std::vector<history::ValveRecord> batch;
  for (int k = 0; k < records; ++k) {
    batch.push_back(RecordOf(k % Valves, k / Valves));
    if (static_cast<int>(batch.size()) == Batch || k + 1 == records) {
      if (!recorder.store().addAll(batch)) std::printf("  fill failed at record %d\n", k);
      batch.clear();
    }
  }
  const double fillMs = static_cast<double>(fill.nsecsElapsed()) / 1e6;

  // Recording after a read, as the window does it once the read has ended.
  constexpr int Reads = 200;
  QElapsedTimer t;
  t.start();
  for (int k = 0; k < Reads; ++k) recorder.observe(ReadOf(7, k));
  const double recordMs = static_cast<double>(t.nsecsElapsed()) / 1e6 / Reads;

  history::HistoryStore& store = recorder.store();
  t.restart();
  const auto listed = store.list(QStringLiteral("SN-7"));
  const double listMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
  t.restart();
  const auto a = store.record(listed.back().id);
  const auto b = store.record(listed.front().id);
  const auto differences = history::Compare(a->words, b->words, ',', false);
  const double diffMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
  std::printf(
      "%-10s %7d records (filled in %.0f ms): record after read %.3f ms (limit 5), list of %zu records "
      "%.2f ms, diff of two (%zu differ) %.2f ms (limit 50 on SQLite)\n",
      name, records + Reads, fillMs, recordMs, listed.size(), listMs, differences.size(), diffMs);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  Measure("SQLite", dir.path() + QStringLiteral("/history.sqlite"), 100000);
  if (auto* server = testing::PostgresServer::Instance()) {
    Measure("PostgreSQL", server->newDatabase(), 100000);
    testing::PostgresServer::StopInstance();
  } else {
    std::printf("PostgreSQL: not measured (no server could be started; scripts/setup.sh --test installs one)\n");
  }
  return 0;
}
