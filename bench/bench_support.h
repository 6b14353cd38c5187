// Shared pieces of the benchmarks: the simulated valve in a process of its own
// (so that the bench process's CPU time is the program's alone), floors of the
// exchanges on the paced line, and the process's own CPU time and memory.
#pragma once

#include "link/exchanges.h"
#include "link/receiver.h"

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tvx::bench {

using Clock = std::chrono::steady_clock;

// One byte on the line at 115200 baud 8E1 (11 bits).
inline constexpr double SecondsPerByte = 11.0 / 115200.0;

// The least time between the request's last byte leaving and the reply's first
// byte starting: the other end must read the request before it can answer (a
// USB serial bridge alone takes a 125 us microframe each way). Without it the
// floor of a reply that would end a few microseconds before a poll counts that
// poll, which no link can meet.
inline constexpr double TurnaroundMs = 0.125;

// The floor of one exchange: its request and reply bytes on the wire plus the
// turnaround, rounded up to the exchange's poll grid, plus its pause after
// success.
double FloorMs(link::ExchangeCode code, std::size_t requestBytes, std::size_t replyBytes);

// The floor of a request as the simulator logs it ("G003", "S997=5555AAAA"):
// a framed exchange whose kind follows from its letter, or the raw reply of a
// block, trace chunk, table or text read ("G031"). 0 for anything else.
double FloorMsOfLoggedRequest(const std::string& request);

// valve-sim (found beside the running bench) serving a paced line on a pty,
// registered as COMn in a port-map folder of its own; TARVELMUNDIX_PORTS is set
// to that folder. Ended with SIGTERM on destruction.
class SimulatorProcess {
 public:
  SimulatorProcess(int comNumber, const std::vector<std::string>& extraArguments = {});
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  bool ready() const { return ready_; }
  const std::filesystem::path& folder() const { return folder_; }
  // The request log it appends to (one line per request: seconds, frame).
  std::filesystem::path logFile() const { return folder_ / "requests.log"; }
  // The requests logged from line `from` on, as texts without STX and ETX.
  std::vector<std::string> loggedRequests(std::size_t from = 0) const;

 private:
  std::filesystem::path folder_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

// The link to a simulator process: the Receiver running and COMn open. Closes
// the port and ends the Receiver on destruction. Says on stderr what failed.
class SimulatedLink {
 public:
  explicit SimulatedLink(int comNumber);
  ~SimulatedLink();
  SimulatedLink(const SimulatedLink&) = delete;
  SimulatedLink& operator=(const SimulatedLink&) = delete;
  bool ready() const { return ready_; }
  link::Port& port() { return port_; }

 private:
  SimulatorProcess simulator_;
  link::Port port_;
  link::Receiver receiver_{port_};
  bool ready_ = false;
};

// The options "--repeat N" and "--seconds S" of a benchmark (at least 1 and
// `minSeconds`); false, with the usage said on stderr, for anything else.
bool ParseRepeatAndSeconds(int argc, char** argv, const char* program, int& repeat, double& seconds,
                           double minSeconds = 1.0);

// Runs `operation` `repeat` times, timing each run and adding up the floors of
// the requests the simulator logged meanwhile; prints a line on the times and
// returns the ratio of the total time to the total floor (0 when `operation`
// fails, i.e. returns false).
double RatioToFloor(const SimulatorProcess& simulator, int repeat, const char* what,
                    const std::function<bool()>& operation);

// CPU time (user + system) of this process, in seconds.
double ProcessCpuSeconds();
// Resident memory of this process, in MiB.
double ResidentMiB();

// CPU of this process over a span of wall time, as a share of one core.
class CpuMeter {
 public:
  CpuMeter() : cpu0_(ProcessCpuSeconds()), wall0_(Clock::now()) {}
  double wallSeconds() const { return std::chrono::duration<double>(Clock::now() - wall0_).count(); }
  double percent() const { return 100.0 * (ProcessCpuSeconds() - cpu0_) / wallSeconds(); }

 private:
  double cpu0_;
  Clock::time_point wall0_;
};

// Prints one result line "name value unit (target)" and says whether it met
// its target (a value at or below it).
bool Report(const char* name, double value, const char* unit, double target);

}  // namespace tvx::bench
