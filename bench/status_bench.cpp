// Times one status refresh, run by the real main window (offscreen) against
// the simulated valve with the line paced at 115200 baud 8E1 and an error
// history of two entries, and prints it against its floor: for every exchange
// of the refresh, its request and reply bytes at 11 bits a byte rounded up to
// the exchange's poll grid, plus its pause after success.
//
//   status_bench [--repeat N]
#include "app/definitions.h"
#include "app/main_window.h"
#include "link/exchanges.h"
#include "link/port.h"
#include "platform/port_names.h"
#include "platform/valve_port_lookup.h"
#include "sim/port_registry.h"
#include "sim/pty_server.h"
#include "sim/valve_model.h"
#include "ui/application.h"

#include <QComboBox>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace tvx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double SecondsPerByte = 11.0 / 115200.0;
constexpr double TargetRatio = 1.2;
constexpr double PeriodMs = 1500.0;

// The floor of one logged request: its exchange kind follows from the letter.
double FloorMs(const std::string& request) {
  link::ExchangeCode code;
  switch (request.empty() ? '?' : request[0]) {
    case 'R': code = link::ReadParameterCode; break;
    case 'G': code = link::ReadRegisterCode; break;
    case 'S': code = link::SendCommandCode; break;
    case 'W': code = link::WriteRegisterCode; break;
    default: return 0;
  }
  const link::ExchangeTiming& t = link::TimingOf(code);
  const std::size_t requestBytes = request.size() + 2;  // with STX and ETX
  const std::size_t replyBytes = 15;                    // every framed reply
  const double wire = static_cast<double>(requestBytes + replyBytes) * SecondsPerByte * 1000.0;
  return std::ceil(wire / t.waitMs - 1e-9) * t.waitMs + t.pauseMs;
}

}  // namespace

int main(int argc, char** argv) {
  int repeat = 30;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: status_bench [--repeat N]\n");
      return 2;
    }
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  char ports[] = "/tmp/tvx-status-bench-XXXXXX";
  char sysfs[] = "/tmp/tvx-status-sysfs-XXXXXX";
  if (!::mkdtemp(ports) || !::mkdtemp(sysfs)) return 1;
  ::setenv(platform::PortMapEnvironmentVariable, ports, 1);
  ::setenv(platform::SysfsRootEnvironmentVariable, sysfs, 1);

  ui::Application app(argc, argv);
  ui::ApplyProgramFont(app);
  ui::InstallLinkHooks();

  sim::ValveModel model;
  model.setErrorHistory({17, 20});
  sim::PtyOptions options;
  options.pacing = true;
  sim::PtyServer server(model, options);
  server.start();
  int exitCode = 0;
  {
    sim::PortRegistration registration(ports, 1, server.slavePath());
    app::AccessLevel = 2;
    app::TPgm pgm;
    pgm.ComPort->setCurrentIndex(0);
    pgm.DisConnectClick();
    if (!link::PortOpen.load()) {
      std::fprintf(stderr, "cannot open the simulated valve's port\n");
      return 1;
    }

    pgm.InfoRefreshClick();  // warm up
    server.clearLog();
    pgm.InfoRefreshClick();
    const std::vector<std::string> requests = server.requestTexts();
    double floor = 0;
    for (const std::string& r : requests) floor += FloorMs(r);

    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
      const auto start = Clock::now();
      pgm.InfoRefreshClick();
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    double mean = 0;
    for (double t : times) mean += t;
    mean /= static_cast<double>(times.size());
    const double best = *std::min_element(times.begin(), times.end());
    const double worst = *std::max_element(times.begin(), times.end());
    const double ratio = mean / floor;

    std::printf("status refresh, history of 2 entries, paced line, main window offscreen\n");
    std::printf("exchanges per refresh: %zu (", requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) std::printf("%s%s", i ? " " : "", requests[i].c_str());
    std::printf(")\n");
    std::printf("%-16s %10s %10s %10s %10s %8s\n", "operation", "mean ms", "best ms", "worst ms", "floor ms", "ratio");
    std::printf("%-16s %10.3f %10.3f %10.3f %10.3f %8.3f%s\n", "StatusRefresh", mean, best, worst, floor, ratio,
                ratio <= TargetRatio ? "" : "  (above 1.2)");
    std::printf("share of the %.0f ms period: %.1f %%\n", PeriodMs, 100.0 * worst / PeriodMs);
    if (ratio > TargetRatio) exitCode = 3;

    pgm.DisConnectClick();
  }
  server.stop();
  std::filesystem::remove_all(ports);
  std::filesystem::remove_all(sysfs);
  return exitCode;
}
