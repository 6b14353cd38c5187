// Times every kind of exchange against the simulated valve (valve-sim in a
// process of its own, line paced at 115200 baud 8E1) and prints it against its
// floor: the request and reply bytes at 11 bits a byte, rounded up to the
// exchange's poll grid, plus its pause after success. Also the CPU this
// process spends while the port is open and idle (only the Receiver runs).
// No message pump is installed: PumpWait only waits.
//
//   link_bench [--repeat N] [--idle-seconds S]
#include "bench/bench_support.h"
#include "link/exchanges.h"
#include "link/port.h"
#include "link/protocol.h"
#include "link/receiver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

using namespace tvx;
using bench::Clock;

namespace {

constexpr double TargetRatio = 1.05;
constexpr double TargetIdlePercent = 0.3;

struct Operation {
  const char* name;
  link::ExchangeCode code;
  std::size_t requestBytes;
  std::size_t replyBytes;
  std::function<void()> run;
};

}  // namespace

int main(int argc, char** argv) {
  int repeat = 40;
  double idleSeconds = 10.0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--idle-seconds") && i + 1 < argc) idleSeconds = std::atof(argv[++i]);
    else {
      std::fprintf(stderr, "usage: link_bench [--repeat N] [--idle-seconds S]\n");
      return 2;
    }
  }

  bench::SimulatedLink valve(1);
  if (!valve.ready()) return 1;
  link::Port& port = valve.port();

  bool met = true;
  std::vector<std::uint8_t> buffer(proto::OtherBlockLength);
  std::uint8_t* b = buffer.data();
  const bool noCancel = false;
  const std::vector<Operation> ops = {
      {"ReadParameter", link::ReadParameterCode, 6, 15, [&] { link::ReadParameter(port, 2); }},
      {"WriteRegister", link::WriteRegisterCode, 15, 15, [&] { link::WriteRegister(port, 117, 100); }},
      {"ReadRegister", link::ReadRegisterCode, 6, 15, [&] { link::ReadRegister(port, 15); }},
      {"ReadTraceChunk", link::ReadTraceChunkCode, 6, proto::TraceChunkLength,
       [&] { link::ReadTraceChunk(port, b, noCancel); }},
      {"ReadBlock(31)", link::ReadBlockCode, 6, proto::ParameterBlockLength, [&] { link::ReadBlock(port, 31, b); }},
      {"ReadProfileBank", link::ReadProfileBankCode, 15, 512, [&] { link::ReadProfileBank(port, 0, 512, b); }},
      {"ReadLinTable", link::ReadLinTableCode, 6, proto::LinTableLength, [&] { link::ReadLinTable(port, 1, b); }},
      {"ReadSerialNumber", link::ReadSerialNumberCode, 6, proto::TextReplyLength,
       [&] { link::ReadSerialNumber(port); }},
      {"ReadDeviceType", link::ReadDeviceTypeCode, 6, proto::TextReplyLength, [&] { link::ReadDeviceType(port); }},
      {"SendCommand", link::SendCommandCode, 15, 15, [&] { link::SendCommand(port, 6, proto::MarkerFalse); }},
  };

  std::printf("every exchange kind, paced line, no message pump, %d runs each\n", repeat);
  std::printf("%-17s %10s %10s %10s %8s\n", "operation", "mean ms", "best ms", "floor ms", "ratio");
  for (const Operation& op : ops) {
    op.run();  // warm up
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
      const auto start = Clock::now();
      op.run();
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    double mean = 0;
    for (double t : times) mean += t;
    mean /= static_cast<double>(times.size());
    const double best = *std::min_element(times.begin(), times.end());
    const double floor = bench::FloorMs(op.code, op.requestBytes, op.replyBytes);
    const double ratio = mean / floor;
    std::printf("%-17s %10.3f %10.3f %10.3f %8.3f%s\n", op.name, mean, best, floor, ratio,
                ratio <= TargetRatio ? "" : "  MISSED (target <= 1.05)");
    met = met && ratio <= TargetRatio;
  }

  {
    bench::CpuMeter meter;
    for (int i = 0; i < 100; ++i) link::ReadTraceChunk(port, b, noCancel);
    char name[64];
    std::snprintf(name, sizeof name, "CPU, 100 ReadTraceChunk, %.1f s", meter.wallSeconds());
    met = bench::Report(name, meter.percent(), "%", 10.0) && met;
  }
  {
    bench::CpuMeter meter;
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    char name[64];
    std::snprintf(name, sizeof name, "CPU, port open and idle, %.0f s", meter.wallSeconds());
    met = bench::Report(name, meter.percent(), "%", TargetIdlePercent) && met;
  }

  return met ? 0 : 3;
}
