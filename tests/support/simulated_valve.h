// Test fixtures: a simulated valve served on a real pty from its own thread and
// registered as a COM entry in a temporary port-map folder, and a link session
// that runs the Receiver with the valve's port open.
#pragma once

#include "sim/port_registry.h"
#include "sim/pty_server.h"
#include "sim/valve_model.h"
#include "link/link_session.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tvx::testing {

// A fresh folder under /tmp, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value);
  ~ScopedEnvironment();

 private:
  std::string name_;
  std::string old_;
  bool had_;
};

// The simulator's server as the tests drive it (the Windows build's support
// names its remote stand-in so).
using ValveServer = sim::PtyServer;

class SimulatedValve {
 public:
  explicit SimulatedValve(sim::ValveConfig config = {}, int comNumber = 3, sim::PtyOptions options = {});
  ~SimulatedValve();

  sim::ValveModel& model() { return *model_; }
  sim::PtyServer& server() { return *server_; }
  int comNumber() const { return com_; }
  std::filesystem::path portsFolder() const { return folder_.path(); }

  // The request log as texts without STX/ETX ("G039", "W003=3FC00000").
  std::vector<std::string> requests() const { return server_->requestTexts(); }
  void clearRequests() { server_->clearLog(); }

  // Adds another COM entry (comN) pointing at the same pty.
  void addComEntry(int comNumber);

  // Stops the simulator and starts it again on a new pty behind the same COM
  // entry, with a new model: what it keeps comes from its state file, as a
  // valve-sim started again the next day.
  void restart();

 private:
  void start();

  sim::ValveConfig config_;
  sim::PtyOptions options_;
  TempFolder folder_;
  std::unique_ptr<ScopedEnvironment> env_;
  std::unique_ptr<sim::ValveModel> model_;
  std::unique_ptr<sim::PtyServer> server_;
  std::unique_ptr<sim::PortRegistration> registration_;
  int com_;
};

// A folder for a valve's state file, made before the valve: a first base
// class of a fixture that hands its valve `StateFileValve()`.
struct StateFileFolder {
  TempFolder stateFolder;
  sim::ValveConfig StateFileValve() const {
    sim::ValveConfig config;
    config.stateFile = (stateFolder.path() / "valve.state").string();
    return config;
  }
};

// Answers the next request with the given bytes instead of the valve's reply:
// the valve's own reply is dropped and these bytes are sent once the request
// has been received. Join happens on destruction.
class ScriptedReply {
 public:
  ScriptedReply(sim::PtyServer& server, std::vector<std::uint8_t> bytes);
  ScriptedReply(sim::PtyServer& server, const std::string& bytes)
      : ScriptedReply(server, std::vector<std::uint8_t>(bytes.begin(), bytes.end())) {}
  ~ScriptedReply();

 private:
  std::thread thread_;
};

// Bytes waiting in the driver's input queue of the open port.
int PendingInputBytes(const link::Port& port);

}  // namespace tvx::testing
