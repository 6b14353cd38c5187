#include "bench/bench_support.h"

#include "link/port.h"
#include "link/protocol.h"
#include "platform/port_names.h"

#include <fcntl.h>
#include <signal.h>  // NOLINT(modernize-deprecated-headers): kill() is POSIX, <csignal> need not declare it
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace tvx::bench {

namespace fs = std::filesystem;

double FloorMs(link::ExchangeCode code, std::size_t requestBytes, std::size_t replyBytes) {
  const link::ExchangeTiming& t = link::TimingOf(code);
  const double wire = static_cast<double>(requestBytes + replyBytes) * SecondsPerByte * 1000.0 + TurnaroundMs;
  return std::ceil(wire / t.waitMs - 1e-9) * t.waitMs + t.pauseMs;
}

namespace {

// The state registers that answer with raw bytes instead of a framed reply.
double FloorMsOfRawRead(int reg) {
  using namespace proto;
  if (reg == ParameterBlockRegister || reg == SecondBlockRegister)
    return FloorMs(link::ReadBlockCode, ShortRequestLength, BlockLength(reg));
  if (reg == TraceChunkRegister) return FloorMs(link::ReadTraceChunkCode, ShortRequestLength, TraceChunkLength);
  if (reg >= LinTableRegisterFirst && reg < LinTableRegisterFirst + 3)
    return FloorMs(link::ReadLinTableCode, ShortRequestLength, LinTableLength);
  if (reg == SerialNumberRegister) return FloorMs(link::ReadSerialNumberCode, ShortRequestLength, TextReplyLength);
  if (reg == DeviceTypeRegister) return FloorMs(link::ReadDeviceTypeCode, ShortRequestLength, TextReplyLength);
  return 0;
}

}  // namespace

double FloorMsOfLoggedRequest(const std::string& request) {
  link::ExchangeCode code;
  switch (request.empty() ? '?' : request[0]) {
    case 'R': code = link::ReadParameterCode; break;
    case 'G':
      if (request.size() >= 4)
        if (const double raw = FloorMsOfRawRead(std::atoi(request.substr(1, 3).c_str())); raw > 0) return raw;
      code = link::ReadRegisterCode;
      break;
    case 'S': code = link::SendCommandCode; break;
    case 'W': code = link::WriteRegisterCode; break;
    default: return 0;
  }
  return FloorMs(code, request.size() + 2, 15);  // with STX and ETX; every framed reply is 15 bytes
}

SimulatorProcess::SimulatorProcess(int comNumber, const std::vector<std::string>& extraArguments) {
  char pattern[] = "/tmp/tvx-bench-XXXXXX";
  if (!::mkdtemp(pattern)) return;
  folder_ = pattern;
  ::setenv(platform::PortMapEnvironmentVariable, pattern, 1);

  const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "valve-sim";
  std::vector<std::string> args = {program.string(),          "--pacing", "--ports",         folder_.string(), "--com",
                                   std::to_string(comNumber), "--log",    logFile().string()};
  args.insert(args.end(), extraArguments.begin(), extraArguments.end());
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) {
    pid_ = -1;
    ::close(out[0]);
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    return;
  }
  // The first line is the pty; the COM entry follows right after it.
  char c = 0;
  std::string line;
  while (::read(out[0], &c, 1) == 1 && c != '\n') line.push_back(c);
  ::close(out[0]);
  const fs::path entry = folder_ / ("com" + std::to_string(comNumber));
  for (int i = 0; i < 500 && !line.empty(); ++i) {
    std::error_code ec;
    if (fs::is_symlink(entry, ec)) {
      ready_ = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

SimulatorProcess::~SimulatorProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::vector<std::string> SimulatorProcess::loggedRequests(std::size_t from) const {
  // Lines look like "12.345678 <02>G003<03>".
  std::vector<std::string> out;
  std::ifstream in(logFile());
  std::string line;
  for (std::size_t n = 0; std::getline(in, line); ++n) {
    if (n < from) continue;
    const std::size_t space = line.find(' ');
    std::string frame = space == std::string::npos ? line : line.substr(space + 1);
    if (frame.rfind("<02>", 0) == 0) frame.erase(0, 4);
    if (frame.size() >= 4 && frame.compare(frame.size() - 4, 4, "<03>") == 0) frame.resize(frame.size() - 4);
    out.push_back(frame);
  }
  return out;
}

bool ParseRepeatAndSeconds(int argc, char** argv, const char* program, int& repeat, double& seconds,
                           double minSeconds) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
      seconds = std::max(minSeconds, std::atof(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: %s [--repeat N] [--seconds S]\n", program);
      return false;
    }
  }
  return true;
}

double RatioToFloor(const SimulatorProcess& simulator, int repeat, const char* what,
                    const std::function<bool()>& operation) {
  std::vector<double> times;
  double total = 0, totalFloor = 0;
  std::size_t exchanges = 0;
  for (int i = 0; i < repeat; ++i) {
    const std::size_t logged = simulator.loggedRequests().size();
    const auto start = Clock::now();
    if (!operation()) return 0;
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    total += times.back();
    for (const std::string& r : simulator.loggedRequests(logged)) {
      totalFloor += FloorMsOfLoggedRequest(r);
      ++exchanges;
    }
  }
  std::printf("%s: %.1f exchanges on average, mean %.3f ms, best %.3f ms, worst %.3f ms, mean floor %.3f ms\n", what,
              static_cast<double>(exchanges) / repeat, total / repeat, *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()), totalFloor / repeat);
  return total / totalFloor;
}

double ProcessCpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double ResidentMiB() {
  std::ifstream in("/proc/self/status");
  std::string key;
  while (in >> key) {
    if (key == "VmRSS:") {
      double kib = 0;
      in >> kib;
      return kib / 1024.0;
    }
    in.ignore(1 << 16, '\n');
  }
  return 0;
}

bool Report(const char* name, double value, const char* unit, double target) {
  const bool met = value <= target;
  std::printf("%-44s %9.3f %-3s (target <= %g)%s\n", name, value, unit, target, met ? "" : "  MISSED");
  return met;
}

SimulatedLink::SimulatedLink(int comNumber) : simulator_(comNumber) {
  if (!simulator_.ready()) {
    std::fprintf(stderr, "cannot start the simulated valve\n");
    return;
  }
  receiver_.Start();
  link::PortLockGuard lock(port_);
  ready_ = link::OpenPort(port_, comNumber);
  if (!ready_) std::fprintf(stderr, "cannot open the simulated valve's port\n");
}

SimulatedLink::~SimulatedLink() {
  receiver_.Stop();
  link::ClosePortHandle(port_);
}

}  // namespace tvx::bench
