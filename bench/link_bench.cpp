// Times each kind of exchange against the simulated valve with the line paced
// at 115200 baud 8E1, and prints it against its floor: the request and reply
// bytes at 11 bits a byte, rounded up to the exchange's poll grid, plus its
// pause after success. Also the Receiver's CPU use while the port is open and
// idle.
//
//   link_bench [--repeat N] [--idle-seconds S]
#include "link/exchanges.h"
#include "link/port.h"
#include "link/protocol.h"
#include "link/receiver.h"
#include "platform/port_names.h"
#include "sim/port_registry.h"
#include "sim/pty_server.h"
#include "sim/valve_model.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace tvx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double SecondsPerByte = 11.0 / 115200.0;

struct Operation {
  const char* name;
  link::ExchangeCode code;
  std::size_t requestBytes;
  std::size_t replyBytes;
  std::function<void()> run;
};

double FloorMs(const Operation& op) {
  const link::ExchangeTiming& t = link::TimingOf(op.code);
  double wire = (op.requestBytes + op.replyBytes) * SecondsPerByte * 1000.0;
  double grid = t.waitMs;
  return std::ceil(wire / grid - 1e-9) * grid + t.pauseMs;
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  int repeat = 40;
  double idleSeconds = 5.0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--idle-seconds") && i + 1 < argc) idleSeconds = std::atof(argv[++i]);
    else {
      std::fprintf(stderr, "usage: link_bench [--repeat N] [--idle-seconds S]\n");
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

    std::uint8_t block[proto::ParameterBlockLength];
    std::vector<Operation> ops = {
        {"ReadParameter", link::ReadParameterCode, 6, 15, [] { link::ReadParameter(2); }},
        {"ReadRegister", link::ReadRegisterCode, 6, 15, [] { link::ReadRegister(15); }},
        {"WriteRegister", link::WriteRegisterCode, 15, 15, [] { link::WriteRegister(117, 100); }},
        {"SendCommand", link::SendCommandCode, 15, 15, [] { link::SendCommand(6, proto::MarkerFalse); }},
        {"ReadBlock(31)", link::ReadBlockCode, 6, 512, [&] { link::ReadBlock(31, block); }},
    };

    std::printf("%-14s %10s %10s %10s %8s\n", "operation", "mean ms", "best ms", "floor ms", "ratio");
    for (const Operation& op : ops) {
      op.run();  // warm up
      std::vector<double> times;
      for (int i = 0; i < repeat; ++i) {
        auto start = Clock::now();
        op.run();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      }
      double mean = 0;
      for (double t : times) mean += t;
      mean /= times.size();
      double best = *std::min_element(times.begin(), times.end());
      double floor = FloorMs(op);
      double ratio = mean / floor;
      std::printf("%-14s %10.3f %10.3f %10.3f %8.3f%s\n", op.name, mean, best, floor, ratio,
                  ratio <= 1.15 ? "" : "  (above 1.15)");
      if (ratio > 1.15) exitCode = 3;
    }

    // Idle: nothing but the Receiver runs (the simulator waits in poll()).
    double cpu0 = CpuSeconds();
    auto wall0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    double cpu = CpuSeconds() - cpu0;
    double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    double percent = 100.0 * cpu / wall;
    std::printf("Receiver idle, port open: %.2f %% of one core over %.1f s%s\n", percent, wall,
                percent <= 3.0 ? "" : "  (above 3 %)");
    if (percent > 3.0) exitCode = 3;

    receiver.Stop();
    link::ClosePortHandle();
  }
  server.stop();
  std::filesystem::remove_all(folder);
  return exitCode;
}
