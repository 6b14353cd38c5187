// Times loading the three user profiles of a configuration file into the
// simulated valve (valve-sim in a process of its own, line paced at 115200
// baud 8E1) against its floor: the read of the active profile, then per bank
// 130 commands, each its bytes on the wire rounded up to the 10 ms poll grid
// plus its 10 ms pause, and the waits the load adds between them (10 ms after
// the first and the last command of a bank, 5 ms after each word). Also the
// CPU this process spends meanwhile. No message pump is installed.
//
//   profile_bench [--repeat N]
#include "bench/bench_support.h"
#include "link/exchanges.h"
#include "link/port.h"
#include "link/receiver.h"
#include "params/cfg_file.h"
#include "params/profiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace tvx;
using bench::Clock;

namespace {

constexpr double TargetRatio = 1.05;
constexpr double TargetCpuPercent = 10.0;

double LoadFloorMs() {
  const double command = bench::FloorMs(link::SendCommandCode, 15, 15);
  const double bank = 130 * command + 10 + 128 * 5 + 10;
  return bench::FloorMs(link::ReadRegisterCode, 6, 15) + 10 + params::cfgfile::Banks * bank;
}

struct SilentDialog : params::ProfileDialog {
  void CheckBank(int) override {}
  std::optional<int> CheckedProfile() const override { return std::nullopt; }
  void MarkProfiles(std::uint32_t) override {}
  void SetBusy(params::ProfileBusy) override {}
  void Beep() override {}
};

// One file, held in memory, chosen at every question.
struct OneFile : params::ProfileQuestions, params::CfgStorage {
  std::vector<std::uint8_t> file;
  std::optional<std::string> SaveFileName() override { return std::nullopt; }
  std::optional<std::string> OpenFileName() override { return "bench.cfg"; }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  void Inform(const std::string& text, const std::string&) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool Exists(const std::string&) override { return true; }
  std::optional<std::vector<std::uint8_t>> Read(const std::string&, std::size_t) override { return file; }
  void Write(const std::string&, const std::vector<std::uint8_t>&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  int repeat = 1;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: profile_bench [--repeat N]\n");
      return 2;
    }
  }

  bench::SimulatedLink valve(1);
  if (!valve.ready()) return 1;

  // The valve's own profiles as the file, so that loading it changes nothing.
  params::cfgfile::Images images;
  for (int b = 0; b < params::cfgfile::Banks; ++b)
    link::ReadProfileBank(valve.port(), b, params::cfgfile::ImageBytes, images[b].data());
  OneFile files;
  files.file = params::cfgfile::Compose(images);
  SilentDialog dialog;
  params::ValveState state;
  params::ProfileOperations operations(valve.port(), state, dialog, files, files);

  bool met = true;
  const double floor = LoadFloorMs();
  std::printf("configuration file into the three user profiles, paced line, no message pump\n");
  std::printf("%-17s %10s %10s %8s\n", "operation", "ms", "floor ms", "ratio");
  for (int i = 0; i < repeat; ++i) {
    bench::CpuMeter meter;
    const auto start = Clock::now();
    operations.LoadFromFile();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double ratio = ms / floor;
    std::printf("%-17s %10.1f %10.1f %8.3f%s\n", "load of 3 banks", ms, floor, ratio,
                ratio <= TargetRatio ? "" : "  MISSED (target <= 1.05)");
    met = ratio <= TargetRatio && met;
    met = bench::Report("CPU, load of 3 banks", meter.percent(), "%", TargetCpuPercent) && met;
  }

  return met ? 0 : 3;
}
