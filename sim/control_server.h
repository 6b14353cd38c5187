// A control port for valve-sim on 127.0.0.1, so that a test running in another
// process (the Windows link tests under Wine) drives the simulated valve as an
// in-process test does: it sets registers, injects faults, sends unsolicited
// bytes, reads the request log and enters COM ports in the port-map folder.
//
// One command a line, one reply a line: "ok", "ok VALUE" or "error TEXT";
// "requests" answers "ok N" followed by N lines. Bytes and texts travel as hex.
//   register N              comN -> the pty, and PortName (COMn) in the folder
//   link N                  comN -> the pty only
//   set-parameter REG WORD  parameter REG WORD  override-state REG WORD
//   set-state REG WORD      state REG           ("ok WORD", no side effects)
//   set-stop CODE WORD      (the critical value's float bits)
//   command-count N         (how often command N was received)
//   read-serial-number      read-device-type    ("ok HEX")
//   raw-block REG HEX       user-bank N HEX     serial-number HEX   device-type HEX
//   fault KIND PARAM COUNT [MATCH]   KIND as the number of sim::FaultKind
//   clear-faults            drops the faults not yet used up
//   send-raw HEX            scripted-reply HEX  (drops the next reply and sends
//                           HEX once that request is in)   join-scripted
//   requests                request-count       clear-log
//   wait-requests N MS      ("ok 1" when N are logged in time, else "ok 0")
//   hung-up                 ("ok 1" after a hang-up fault)
//   stop-server             closes the pty, as pulling the cable does
//   start-server            serves a fresh pty (enter it again with "link N")
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/port_registry.h"
#include "sim/pty_server.h"
#include "sim/valve_model.h"

namespace sim {

class ControlServer {
 public:
  ControlServer(ValveModel& model, PtyServer& server, std::filesystem::path portsFolder);
  ~ControlServer();  // stops
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // Listens on 127.0.0.1:port (0: a free port) and serves one client at a time
  // from a thread of its own. Throws std::system_error.
  void start(int port);
  void stop();
  int port() const { return port_; }

  // The reply to one command line (what a client gets, without the newline).
  std::string handle(const std::string& line);

 private:
  void run();
  void serve(int client);

  ValveModel& model_;
  PtyServer& server_;
  std::filesystem::path folder_;
  std::vector<std::unique_ptr<PortRegistration>> registrations_;
  std::vector<std::thread> scripted_;
  std::mutex mu_;
  int listen_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  std::thread thread_;
};

}  // namespace sim
