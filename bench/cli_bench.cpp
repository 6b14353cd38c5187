// Measures tarvelmundix-cli as a script runs it, in process, against the
// simulated valve in a process of its own (valve-sim, line paced at 115200
// baud 8E1), at access level 2:
//   - `read`, port opening included, against the sum of the floors of the
//     exchanges it made (from the simulator's request log);
//   - this process's CPU during `status --watch` (a refresh every 1.5 s) over
//     a fixed span.
//
//   cli_bench [--repeat N] [--seconds S]
#include "bench/bench_support.h"
#include "cli/cli.h"
#include "platform/valve_port_lookup.h"

#include <stdlib.h>  // NOLINT(modernize-deprecated-headers): mkdtemp() and setenv() are POSIX

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace tvx;
using bench::Clock;

namespace {

constexpr double TargetReadRatio = 1.05;
constexpr double TargetWatchPercent = 1.0;
constexpr const char* Port = "COM1";

}  // namespace

int main(int argc, char** argv) {
  int repeat = 10;
  double seconds = 30.0;
  if (!bench::ParseRepeatAndSeconds(argc, argv, "cli_bench", repeat, seconds, 3.0)) return 2;
  std::printf("tarvelmundix-cli at level 2 against valve-sim --pacing\n");

  bench::SimulatorProcess simulator(1);
  if (!simulator.ready()) {
    std::fprintf(stderr, "cannot start the simulated valve\n");
    return 1;
  }
  char sysfs[] = "/tmp/tvx-bench-sysfs-XXXXXX";  // no USB device: the port is named
  if (!::mkdtemp(sysfs)) return 1;
  ::setenv(platform::SysfsRootEnvironmentVariable, sysfs, 1);
  ::setenv(cli::PasswordVariable, "technik", 1);
  bool met = true;

  std::ostringstream out, err;
  cli::Io io{out, err};
  const double ratio = bench::RatioToFloor(simulator, repeat, "read", [&] {
    out.str({});
    const int code = cli::Run({"read", "--port", Port}, io);
    if (code != cli::ExitDone) std::fprintf(stderr, "read failed (%d): %s\n", code, err.str().c_str());
    return code == cli::ExitDone;
  });
  if (ratio == 0) return 1;
  met = bench::Report("read, ratio to its floor", ratio, "", TargetReadRatio) && met;
  {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    io.stopRequested = [end](int) { return Clock::now() >= end; };
    int rows = 0;
    const std::string csv = (simulator.folder() / "status.csv").string();
    bench::CpuMeter meter;
    const int code = cli::Run({"status", "--watch", "1.5", "--csv", csv, "--port", Port}, io);
    const double percent = meter.percent();
    const double wall = meter.wallSeconds();
    if (code != cli::ExitDone) {
      std::fprintf(stderr, "status --watch failed (%d): %s\n", code, err.str().c_str());
      return 1;
    }
    std::ifstream in(csv);
    for (std::string line; std::getline(in, line);) ++rows;
    char name[80];
    std::snprintf(name, sizeof name, "CPU, status --watch 1.5, %.0f s, %d rows", wall, rows - 1);
    met = bench::Report(name, percent, "%", TargetWatchPercent) && met;
  }
  std::filesystem::remove_all(sysfs);
  return met ? 0 : 3;
}
