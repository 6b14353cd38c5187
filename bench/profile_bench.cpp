// Times loading a configuration file's three profiles into the simulated valve
// with the line paced at 115200 baud 8E1 and prints it against its floor: the
// read of the active profile, then per bank 130 commands, each its bytes on the
// wire rounded up to the 10 ms poll grid plus its 10 ms pause, and the waits
// the load adds between them. Also the CPU the program uses meanwhile.
//
//   profile_bench [--repeat N]
#include "link/exchanges.h"
#include "link/port.h"
#include "link/receiver.h"
#include "params/cfg_file.h"
#include "params/profiles.h"
#include "platform/port_names.h"
#include "sim/port_registry.h"
#include "sim/pty_server.h"
#include "sim/valve_model.h"

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

using namespace tvx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double MsPerByte = 11.0 / 115200.0 * 1000.0;

double FloorMs(const link::ExchangeTiming& t, std::size_t bytes) {
  return std::ceil(bytes * MsPerByte / t.waitMs - 1e-9) * t.waitMs + t.pauseMs;
}

double LoadFloorMs() {
  const double command = FloorMs(link::TimingOf(link::SendCommandCode), 15 + 15);
  const double bank = 130 * command + 10 + 128 * 5 + 10;
  return FloorMs(link::TimingOf(link::ReadRegisterCode), 6 + 15) + 10 + params::cfgfile::Banks * bank;
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct SilentDialog : params::ProfileDialog {
  void CheckBank(int) override {}
  std::optional<int> CheckedProfile() const override { return std::nullopt; }
  void MarkProfiles(std::uint32_t) override {}
  void SetBusy(params::ProfileBusy) override {}
  void Beep() override {}
};

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

  char folder[] = "/tmp/tvx-bench-XXXXXX";
  if (!::mkdtemp(folder)) return 1;
  ::setenv(platform::PortMapEnvironmentVariable, folder, 1);

  sim::ValveModel model;
  sim::PtyOptions options;
  options.pacing = true;
  sim::PtyServer server(model, options);
  server.start();
  int exitCode = 0;
  {
    sim::PortRegistration registration(folder, 1, server.slavePath());
    link::Receiver receiver;
    receiver.Start();
    {
      link::PortLockGuard lock;
      if (!link::OpenPort(1)) {
        std::fprintf(stderr, "cannot open the simulated valve's port\n");
        return 1;
      }
    }
    params::cfgfile::Images images;
    for (int b = 0; b < params::cfgfile::Banks; ++b) {
      const sim::Bank bank = model.userBank(b);
      std::copy(bank.begin(), bank.end(), images[b].begin());
    }
    OneFile files;
    files.file = params::cfgfile::Compose(images);
    SilentDialog dialog;
    params::ProfileOperations operations(dialog, files, files);

    const double floor = LoadFloorMs();
    std::printf("%-18s %10s %10s %8s %8s\n", "operation", "ms", "floor ms", "ratio", "CPU %");
    for (int i = 0; i < repeat; ++i) {
      const double cpu0 = CpuSeconds();
      const auto start = Clock::now();
      operations.LoadFromFile();
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      const double cpu = 100.0 * (CpuSeconds() - cpu0) / (ms / 1000.0);
      const double ratio = ms / floor;
      std::printf("%-18s %10.1f %10.1f %8.3f %8.1f%s\n", "load of 3 banks", ms, floor, ratio, cpu,
                  ratio <= 1.05 ? "" : "  (above 1.05)");
      if (ratio > 1.05) exitCode = 3;
    }
    receiver.Stop();
    link::ClosePortHandle();
  }
  server.stop();
  std::filesystem::remove_all(folder);
  return exitCode;
}
