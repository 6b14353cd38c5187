// valve-sim: runs the simulated valve on a pseudo-terminal and registers it in the
// port-map folder like a plugged-in valve. The first line of standard output is
// the pty's device path; everything else goes to standard error.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pthread.h>

#include "sim/cfg_import.h"
#include "sim/control_server.h"
#include "sim/frame_server.h"
#include "sim/port_registry.h"
#include "sim/pty_server.h"
#include "sim/recording_csv.h"
#include "sim/valve_model.h"

namespace {

const char* UsageText =
    "Usage: valve-sim [options]\n"
    "Simulated proportional-valve electronics on a pseudo-terminal.\n"
    "\n"
    "  --com N            COM number to register, 1..16 (default 3)\n"
    "  --ports DIR        port-map folder (default $TARVELMUNDIX_PORTS, else\n"
    "                     $XDG_CONFIG_HOME/tarvelmundix/ports or ~/.config/tarvelmundix/ports)\n"
    "  --no-register      do not register the port at all\n"
    "  --state FILE       keep the valve's EEPROM (profiles, texts) in FILE\n"
    "  --cfg FILE         start with the three user profiles of a configuration file\n"
    "                     saved by the tool (the active profile's values are loaded)\n"
    "  --positions 2|3    valve with one or two solenoids (default 3)\n"
    "  --input voltage|current   set-value input (default voltage)\n"
    "  --lvdt, --no-lvdt  with or without LVDT position sensor (default with)\n"
    "  --firmware N       firmware code of state register 30 (default 14031122)\n"
    "  --board-variant    report the hardware variant flag\n"
    "  --no-in2           no second input WE2\n"
    "  --pwm-max N        full-scale PWM value of the coil outputs (default 5000)\n"
    "  --serial TEXT      serial number on first start (no state file yet)\n"
    "  --type TEXT        valve type text on first start\n"
    "  --stop CODE[:VALUE]  start with this stop code and critical value\n"
    "  --history A,B,...  error history codes\n"
    "  --hold REG=VALUE   set state register REG to VALUE, repeatable: a float when\n"
    "                     it has a '.', a word in decimal or 0x hex; e.g. --hold 18=85.5\n"
    "  --pacing, --no-pacing   pace the line at 115200 baud 8E1 (default on)\n"
    "  --fault FAULT      inject a fault, repeatable. FAULT is KIND[:N][@REQUEST][+K][xCOUNT]\n"
    "                     with KIND drop, delay:MS, stx, etx, stray[:BYTE], truncate:N,\n"
    "                     garbage, hangup, ignore (the request is lost: not acted on,\n"
    "                     no reply) or noise (a framed reply with noise for its value);\n"
    "                     REQUEST the start of a request text such as\n"
    "                     G003 or S999; +K from the K-th matching request on;\n"
    "                     e.g. --fault delay:2000@G003x2, --fault drop@G010+3\n"
    "  --recording FILE   serve this trace recording (a CSV file as the tool's chart\n"
    "                     saves it) instead of the recorder's own\n"
    "  --log FILE         append every request, timestamped, to FILE\n"
    "  --control PORT     accept control commands on 127.0.0.1:PORT (0: any free\n"
    "                     port, printed on standard error); see sim/control_server.h\n"
    "  --help             this text\n";

bool parseUnsigned(const char* s, unsigned long& out) {
  if (!s || !*s) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoul(s, &end, 10);
  return errno == 0 && end && *end == '\0' && s[0] != '-';
}

int usageError(const std::string& what) {
  std::cerr << "valve-sim: " << what << "\n"
            << "Try 'valve-sim --help'.\n";
  return 2;
}

// Everything the command line sets.
struct Options {
  sim::ValveConfig config;
  int com = 3;
  std::string portsFolder;
  bool registerPort = true;
  sim::PtyOptions ptyOptions;
  std::vector<sim::Fault> faults;
  std::optional<std::pair<std::uint32_t, float>> stop;
  std::optional<std::vector<std::uint32_t>> history;
  std::vector<std::pair<int, std::uint32_t>> holds;
  std::string cfgFile;
  std::optional<int> controlPort;
  std::vector<sim::TraceRecord> recording;

  std::filesystem::path folder() const {
    return portsFolder.empty() ? sim::defaultPortsFolder() : std::filesystem::path(portsFolder);
  }
};

// Reads the command line into `o`. The exit status when the program ends here
// (--help, a usage error), nothing when it goes on.
std::optional<int> parseOptions(int argc, char** argv, Options& o) {
  sim::ValveConfig& config = o.config;
  o.ptyOptions.pacing = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    unsigned long n = 0;
    if (a == "--help" || a == "-h") {
      std::cout << UsageText;
      return 0;
    } else if (a == "--com") {
      if (!parseUnsigned(value(), n) || n < 1 || n > 16) return usageError("--com needs 1..16");
      o.com = static_cast<int>(n);
    } else if (a == "--ports") {
      const char* v = value();
      if (!v) return usageError("--ports needs a folder");
      o.portsFolder = v;
    } else if (a == "--no-register") {
      o.registerPort = false;
    } else if (a == "--state") {
      const char* v = value();
      if (!v) return usageError("--state needs a file");
      config.stateFile = v;
    } else if (a == "--cfg") {
      const char* v = value();
      if (!v) return usageError("--cfg needs a file");
      o.cfgFile = v;
    } else if (a == "--positions") {
      const char* v = value();
      if (!v || (std::strcmp(v, "2") != 0 && std::strcmp(v, "3") != 0)) return usageError("--positions needs 2 or 3");
      config.threePositions = std::strcmp(v, "3") == 0;
    } else if (a == "--input") {
      const char* v = value();
      if (!v || (std::strcmp(v, "voltage") != 0 && std::strcmp(v, "current") != 0))
        return usageError("--input needs voltage or current");
      config.voltageInput = std::strcmp(v, "voltage") == 0;
    } else if (a == "--lvdt") {
      config.lvdt = true;
    } else if (a == "--no-lvdt") {
      config.lvdt = false;
    } else if (a == "--firmware") {
      if (!parseUnsigned(value(), n) || n > 0xFFFFFFFFul) return usageError("--firmware needs a number");
      config.firmware = static_cast<std::uint32_t>(n);
    } else if (a == "--board-variant") {
      config.boardVariant = true;
    } else if (a == "--no-in2") {
      config.in2Present = false;
    } else if (a == "--pwm-max") {
      if (!parseUnsigned(value(), n) || n > 0xFFFFul) return usageError("--pwm-max needs 0..65535");
      config.pwmMaximum = static_cast<std::uint32_t>(n);
    } else if (a == "--serial" || a == "--type") {
      const char* v = value();
      if (!v) return usageError(a + " needs a text");
      (a == "--serial" ? config.serialNumber : config.deviceType) = v;
    } else if (a == "--stop") {
      const char* v = value();
      if (!v) return usageError("--stop needs a code");
      std::string s = v, code = s, val = "0";
      if (auto c = s.find(':'); c != std::string::npos) {
        code = s.substr(0, c);
        val = s.substr(c + 1);
      }
      char* end = nullptr;
      const float f = std::strtof(val.c_str(), &end);
      if (!parseUnsigned(code.c_str(), n) || n > 255 || !end || *end) return usageError("bad --stop");
      o.stop = {static_cast<std::uint32_t>(n), f};
    } else if (a == "--history") {
      const char* v = value();
      if (!v) return usageError("--history needs codes");
      std::vector<std::uint32_t> codes;
      std::string s = v;
      std::size_t p = 0;
      while (p <= s.size() && !s.empty()) {
        const std::size_t q = s.find(',', p);
        const std::string item = s.substr(p, q == std::string::npos ? std::string::npos : q - p);
        if (!parseUnsigned(item.c_str(), n) || n > 0xFFFFFFFFul) return usageError("bad --history");
        codes.push_back(static_cast<std::uint32_t>(n));
        if (q == std::string::npos) break;
        p = q + 1;
      }
      o.history = codes;
    } else if (a == "--hold") {
      const char* v = value();
      const auto hold = v ? sim::parseStateHold(v) : std::nullopt;
      if (!hold) return usageError(std::string("bad --hold ") + (v ? v : ""));
      o.holds.push_back(*hold);
    } else if (a == "--pacing") {
      o.ptyOptions.pacing = true;
    } else if (a == "--no-pacing") {
      o.ptyOptions.pacing = false;
    } else if (a == "--fault") {
      const char* v = value();
      auto f = v ? sim::parseFault(v) : std::nullopt;
      if (!f) return usageError(std::string("bad --fault ") + (v ? v : ""));
      o.faults.push_back(*f);
    } else if (a == "--control") {
      if (!parseUnsigned(value(), n) || n > 65535) return usageError("--control needs a port number");
      o.controlPort = static_cast<int>(n);
    } else if (a == "--recording") {
      const char* v = value();
      if (!v) return usageError("--recording needs a file");
      std::string error;
      auto loaded = sim::loadRecordingCsv(v, error);
      if (!loaded) return usageError(std::string("bad --recording ") + v + ": " + error);
      o.recording = std::move(*loaded);
    } else if (a == "--log") {
      const char* v = value();
      if (!v) return usageError("--log needs a file");
      o.ptyOptions.logFile = v;
    } else {
      return usageError("unknown option " + a);
    }
  }
  return std::nullopt;
}

// SIGINT, SIGTERM and SIGHUP are taken by sigwait at the end; they are blocked
// before any thread starts so that every thread inherits the mask.
sigset_t blockEndingSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return signals;
}

// The valve as the options set it up; false when the configuration file
// cannot be read (said on standard error).
bool setUpModel(sim::ValveModel& model, const Options& o) {
  if (!o.cfgFile.empty()) {
    std::array<sim::Bank, 3> banks;
    std::string error;
    if (!sim::readCfgBanks(o.cfgFile, banks, error)) {
      std::cerr << "valve-sim: " << o.cfgFile << ": " << error << "\n";
      return false;
    }
    for (int b = 0; b < 3; ++b) model.setUserBank(b, banks[b]);
    // Profile selection: the active profile's stored values become the working ones.
    model.command(995, 0xAA55AA00u + static_cast<std::uint32_t>(model.activeProfile()));
  }
  // Whoever watches the simulator sees when the valve enters or leaves LVDT
  // calibration, the one state in which it drives a coil on its own.
  model.setCalibrationListener(
      [](float value) { std::cerr << "valve-sim: " << sim::describeCalibration(value) << "\n"; });
  if (o.stop) model.setStop(o.stop->first, o.stop->second);
  if (o.history) model.setErrorHistory(*o.history);
  for (const auto& [reg, word] : o.holds) model.setState(reg, word);
  if (!o.recording.empty()) model.setTraceRecording(o.recording);
  return true;
}

// Announces the pty in the port-map folder as COMn. Throws when it cannot.
std::unique_ptr<sim::PortRegistration> registerPort(const Options& o, const sim::PtyServer& server) {
  const std::filesystem::path folder = o.folder();
  try {
    auto registration = std::make_unique<sim::PortRegistration>(folder, o.com, server.slavePath());
    std::cerr << "valve-sim: registered as COM" << o.com << " (" << registration->linkPath().string() << " -> "
              << server.slavePath() << ")\n";
    return registration;
  } catch (const std::exception& e) {
    std::cerr << "valve-sim: cannot register COM" << o.com << " in " << folder.string() << ": " << e.what() << "\n";
    throw;
  }
}

// What is being simulated, on standard error.
void describeValve(const Options& o, const sim::ValveModel& model) {
  const sim::ValveConfig& config = o.config;
  std::cerr << "valve-sim: " << (config.threePositions ? "3" : "2") << " positions, "
            << (config.voltageInput ? "voltage" : "current") << " input, " << (config.lvdt ? "with" : "without")
            << " LVDT, firmware " << config.firmware << ", line pacing " << (o.ptyOptions.pacing ? "on" : "off")
            << "\n";
  std::cerr << "valve-sim: serial number \"" << model.serialNumber() << "\", type \"" << model.deviceType()
            << "\", active profile " << model.activeProfile() + 1 << "\n";
  if (!config.stateFile.empty()) std::cerr << "valve-sim: EEPROM state in " << config.stateFile << "\n";
  if (!o.cfgFile.empty()) std::cerr << "valve-sim: user profiles from " << o.cfgFile << "\n";
  if (!o.recording.empty()) std::cerr << "valve-sim: serving a recording of " << o.recording.size() << " samples\n";
  for (const auto& f : o.faults) std::cerr << "valve-sim: fault " << sim::describeFault(f) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const std::optional<int> status = parseOptions(argc, argv, o)) return *status;
  sigset_t signals = blockEndingSignals();

  sim::ValveModel model(o.config);
  if (!setUpModel(model, o)) return 1;

  sim::PtyServer server(model, o.ptyOptions);
  try {
    server.start();
  } catch (const std::exception& e) {
    std::cerr << "valve-sim: cannot open a pseudo-terminal: " << e.what() << "\n";
    return 1;
  }
  for (const auto& f : o.faults) server.injectFault(f);

  std::cout << server.slavePath() << std::endl;  // alone on the first line, flushed

  std::unique_ptr<sim::PortRegistration> registration;
  if (o.registerPort) {
    try {
      registration = registerPort(o, server);
    } catch (const std::exception&) {
      server.stop();
      return 1;
    }
  }
  describeValve(o, model);
  sim::ControlServer control(model, server, o.folder());
  if (o.controlPort) {
    try {
      control.start(*o.controlPort);
    } catch (const std::exception& e) {
      std::cerr << "valve-sim: cannot open the control port: " << e.what() << "\n";
      return 1;
    }
    std::cerr << "valve-sim: control port 127.0.0.1:" << control.port() << std::endl;
  }
  std::cerr << "valve-sim: serving; Ctrl+C ends\n";

  int sig = 0;
  while (sigwait(&signals, &sig) != 0) {
  }
  std::cerr << "valve-sim: " << strsignal(sig) << ", shutting down\n";
  control.stop();
  server.stop();
  if (registration) registration->release();
  const bool saved = model.saveState();
  std::cerr << "valve-sim: served " << server.requestCount() << " requests\n";
  return saved ? 0 : 1;
}
