// The profile and recording commands against the simulated valve: what reaches
// the valve (its banks, its request log) and what lands in the files.
#include "command_line.h"
#include "link/change_log.h"
#include "params/cfg_file.h"
#include "params/config_word.h"
#include "params/register_map.h"
#include "sim/frame_server.h"
#include "sim/recording_csv.h"
#include "trace/sampling.h"
#include "support/change_log_lines.h"
#include "trace/trace_csv.h"

#include <QImage>

#include <algorithm>
#include <filesystem>

namespace tvx::cli {
namespace {

class ProfileCommands : public CommandLine {
 protected:
  std::array<sim::Bank, 3> banks() {
    return {valve_.model().userBank(0), valve_.model().userBank(1), valve_.model().userBank(2)};
  }
  std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

TEST_F(ProfileCommands, SavedProfilesLoadBackIntoTheBanksAsTheyWere) {
  testing::ScopedEnvironment password(PasswordVariable, "serwis");  // level 1, as the profile panel needs
  // Three different banks a valve can hold (a read refuses words no valve holds).
  for (int b = 0; b < 3; ++b) {
    auto words = sim::ValveModel::factoryParameters({});
    words[2] = 1000 + static_cast<std::uint32_t>(b);
    words[117] = 0x01020304u * static_cast<std::uint32_t>(b + 1);
    valve_.model().setUserBank(b, sim::ValveModel::imageOf(words));
  }
  const auto before = banks();
  const std::string cfg = (folder_.path() / "valve.cfg").string();
  const Result saved = run({"read", "--cfg", cfg});
  ASSERT_EQ(saved.code, ExitDone) << saved.err;
  params::cfgfile::Images images;
  for (int b = 0; b < 3; ++b) std::copy(before[b].begin(), before[b].end(), images[b].begin());
  const std::vector<std::uint8_t> expected = params::cfgfile::Compose(images);
  EXPECT_EQ(read(cfg), std::string(expected.begin(), expected.end()));

  for (int b = 0; b < 3; ++b) valve_.model().setUserBank(b, valve_.model().factoryBank(b));
  valve_.clearRequests();
  const Result loaded = run({"load", "--cfg", cfg});
  ASSERT_EQ(loaded.code, ExitDone) << loaded.err;
  EXPECT_EQ(banks(), before);
  // The valve's firmware, serial number and type for the change log, the
  // active profile, then each bank: begin, 128 words, store.
  EXPECT_EQ(valve_.requests().size(), 3u + 1u + 3u * 130u);
  // The load's change log line names the valve, though no parameter set was read.
  const std::vector<testing::LogLine> lines = testing::ChangeLogLines(link::ChangeLogFile());
  ASSERT_FALSE(lines.empty());
  ASSERT_GE(lines.back().size(), 2u);
  EXPECT_EQ(lines.back()[1], valve_.model().serialNumber());
}

// A load that did not finish says which profiles it stored, whatever profile
// is active, and never ends as done.
TEST_F(ProfileCommands, UnfinishedLoadSaysWhichProfilesWereStored) {
  testing::ScopedEnvironment password(PasswordVariable, "serwis");
  params::cfgfile::Images images;
  for (int b = 0; b < 3; ++b) images[b].fill(static_cast<std::uint8_t>(0x11 * (b + 1)));
  const std::vector<std::uint8_t> bytes = params::cfgfile::Compose(images);
  const std::string cfg = file("valve.cfg", std::string(bytes.begin(), bytes.end()));
  struct Case {
    const char* what;
    int stopAfterRows;  // 0: Ctrl+C pressed before the first wait
    std::optional<sim::Fault> fault;
    int code;
    int stored;
    const char* says;
  } cases[] = {
      {"Ctrl+C", 0, std::nullopt, ExitFileError, 1, "interrupted: profile 1 stored, profiles 2 to 3 keep"},
      // Garbage for a word of profile 2: its store command is never sent.
      {"link failure", 1 << 30, sim::Fault{sim::FaultKind::Garbage, 0, "S989", 1, 128 + 5}, ExitLinkFailure, 1,
       "the link failed: profile 1 stored, profiles 2 to 3 keep"},
  };
  for (const Case& c : cases) {
    for (int b = 0; b < 3; ++b) valve_.model().setUserBank(b, valve_.model().factoryBank(b));
    valve_.model().setState(params::state::ActiveProfile, 2);  // profile 3 active
    const auto before = banks();
    valve_.clearRequests();
    if (c.fault) valve_.server().injectFault(*c.fault);
    stopAfterRows_ = c.stopAfterRows;
    const Result r = run({"load", "--cfg", cfg});
    valve_.server().clearFaults();
    EXPECT_EQ(r.code, c.code) << c.what;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(r.err.find("loaded into"), std::string::npos) << r.err;
    if (c.fault) {
      EXPECT_NE(r.err.find("Zapisane profile: 1"), std::string::npos) << r.err;
    }
    const auto after = banks();
    for (int b = 0; b < 3; ++b) {
      if (b < c.stored) {
        EXPECT_TRUE(std::all_of(after[b].begin(), after[b].end(), [&](std::uint8_t x) { return x == 0x11 * (b + 1); }))
            << c.what << " profile " << b + 1;
      } else {
        EXPECT_EQ(after[b], before[b]) << c.what << " profile " << b + 1;
      }
    }
  }
}

TEST_F(ProfileCommands, DamagedFileSendsNothing) {
  testing::ScopedEnvironment password(PasswordVariable, "serwis");
  std::vector<std::uint8_t> good = params::cfgfile::Compose({});
  const auto damaged = [&](auto change) {
    std::vector<std::uint8_t> bytes = good;
    change(bytes);
    return std::string(bytes.begin(), bytes.end());
  };
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"wrong sum", damaged([](auto& b) { b[1540] ^= 1; }), "Błędna struktura pliku"},
      {"image changed", damaged([](auto& b) { b[600] = 7; }), "Błędna struktura pliku"},
      {"wrong version", damaged([](auto& b) { b[1] = 2; }), "Nieprawidłowa wersja pliku konfiguracyjnego"},
      {"one bank only", damaged([](auto& b) { b.resize(1000); }), "Błędna struktura pliku"},
  };
  for (const Case& c : cases) {
    valve_.clearRequests();
    const Result r = run({"load", "--cfg", file("bad.cfg", c.bytes)});
    EXPECT_EQ(r.code, ExitFileError) << c.what;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_TRUE(valve_.requests().empty()) << c.what;
  }
  valve_.clearRequests();
  EXPECT_EQ(run({"load", "--cfg", (folder_.path() / "missing.cfg").string()}).code, ExitFileError);
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(ProfileCommands, ProfilesBelowTheirLevelAreRefusedAndSendNothing) {
  unsetenv(PasswordVariable);
  const std::string cfg = (folder_.path() / "valve.cfg").string();
  const std::string good = file("good.cfg", [] {
    const auto bytes = params::cfgfile::Compose({});
    return std::string(bytes.begin(), bytes.end());
  }());
  const std::vector<std::vector<std::string>> lines = {{"read", "--cfg", cfg}, {"load", "--cfg", good}};
  for (const auto& args : lines) {
    valve_.clearRequests();
    const Result r = run(args, "wrong");
    EXPECT_EQ(r.code, ExitRefused) << args[0];
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
    EXPECT_TRUE(valve_.requests().empty()) << args[0];
  }
  EXPECT_FALSE(std::filesystem::exists(cfg));
}

TEST_F(ProfileCommands, TraceIsSavedAsTheChartExportsIt) {
  // A recording of 120 samples, then the end marker.
  std::vector<sim::TraceRecord> records;
  records.reserve(120);
  for (int n = 0; n < 120; ++n)
    records.push_back(sim::makeTraceRecord(static_cast<std::uint16_t>(1000 + n), static_cast<std::uint16_t>(n * 3),
                                           static_cast<std::uint32_t>(2048 + n), static_cast<std::uint32_t>(n * 7)));
  valve_.model().setTraceRecording(records);
  const std::string csv = (folder_.path() / "trace.csv").string();
  const std::string png = (folder_.path() / "trace.png").string();
  const Result r = run({"trace", "--csv", csv, "--png", png});
  ASSERT_EQ(r.code, ExitDone) << r.err;

  trace::TraceBuffer buffer{};
  for (std::size_t n = 0; n < records.size(); ++n)
    buffer[n] = trace::DecodeSample(std::span<const std::uint8_t, trace::SampleBytes>(records[n]));
  const std::uint32_t divider = valve_.model().parameter(params::reg::TraceInterval);
  const double periodMs =
      trace::PeriodOf(divider ? divider : 1, valve_.model().parameter(params::reg::PWM), '.').exactMs;
  const bool reportDac = params::ConfigWord::Decode(valve_.model().parameter(params::reg::Configuration)).reportDac;
  const int source = static_cast<int>(valve_.model().parameter(params::reg::MonitorSource));
  EXPECT_EQ(read(csv), trace::TraceCsv(buffer, 120, periodMs, {reportDac, source}));
  EXPECT_EQ(QImage(QString::fromStdString(png)).width(), 670);
}

}  // namespace
}  // namespace tvx::cli
