// The link tests' fixtures for the Windows build run under Wine. It stands in
// for tests/support/simulated_valve.h (this folder comes first on the include
// path): the simulated valve is a valve-sim process on the Linux side, serving
// a pty that is entered as a COM port in the Wine prefix's dosdevices, and this
// side drives it through valve-sim's control port (127.0.0.1, port number in
// $TVX_SIM_CONTROL). scripts/wine-tests.sh starts one valve-sim per test.
//
// The valve's configuration is the one valve-sim was started with; pacing is
// off. The interface is the part of the in-process fixture the link tests use.
#pragma once

#include "sim/frame_server.h"
#include "sim/valve_model.h"
#include "link/link_session.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tvx::testing {

// A fresh folder in the temporary folder, removed with everything in it.
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

// One connection to valve-sim's control port.
class ControlLink {
 public:
  ControlLink();
  ~ControlLink();
  ControlLink(const ControlLink&) = delete;
  ControlLink& operator=(const ControlLink&) = delete;

  // Sends a command and returns what follows "ok" (throws on "error" or a
  // broken connection); `extraLines` more lines are appended, each after "\n".
  std::string command(const std::string& line, std::size_t extraLines = 0);
  std::string readLine();

 private:
  std::uintptr_t socket_;
  std::string pending_;
};

class RemoteModel {
 public:
  explicit RemoteModel(ControlLink& link) : link_(link) {}
  std::uint32_t parameter(int reg);
  void setParameter(int reg, std::uint32_t value);
  void setParameterFloat(int reg, float value);
  void overrideState(int reg, std::uint32_t value);
  void setState(int reg, std::uint32_t value);
  void setStateFloat(int reg, float value);
  std::uint32_t peekState(int reg);
  float peekStateFloat(int reg);
  void setStop(std::uint32_t code, float criticalValue);
  std::uint32_t commandCount(int number);
  void setRawBlock(int reg, std::vector<std::uint8_t> bytes);
  void setUserBank(int bank, const sim::Bank& image);
  void setSerialNumber(const std::string& text);
  std::string serialNumber();
  std::string deviceType();
  void setDeviceType(const std::string& text);

 private:
  ControlLink& link_;
};

class RemoteServer {
 public:
  explicit RemoteServer(ControlLink& link) : link_(link) {}
  void injectFault(sim::Fault fault);
  void clearFaults();
  void sendRaw(std::vector<std::uint8_t> bytes);
  std::vector<std::string> requestTexts();
  std::vector<std::vector<std::uint8_t>> requestBytes();
  std::size_t requestCount();
  void clearLog();
  bool waitForRequests(std::size_t n, std::chrono::milliseconds timeout);
  bool hungUp();
  // Closes the pty, as pulling the cable does; start() serves a fresh one.
  void stop();
  void start();
  // Drops the valve's next reply and sends these bytes once that request is in.
  void scriptReply(const std::vector<std::uint8_t>& bytes);
  void joinScriptedReplies();

 private:
  ControlLink& link_;
};

// The server as the tests drive it, under the native support's name.
using ValveServer = RemoteServer;

class SimulatedValve {
 public:
  // Enters the valve's pty as COMn and names COMn as the valve's port in the
  // registry value the program looks it up in (removed again on destruction).
  explicit SimulatedValve(sim::ValveConfig config = {}, int comNumber = 3);
  ~SimulatedValve();
  SimulatedValve(const SimulatedValve&) = delete;
  SimulatedValve& operator=(const SimulatedValve&) = delete;

  RemoteModel& model() { return model_; }
  RemoteServer& server() { return server_; }
  int comNumber() const { return com_; }
  std::vector<std::string> requests() const { return server_.requestTexts(); }
  void clearRequests() { server_.clearLog(); }
  // Adds another COM entry (comN) pointing at the same pty.
  void addComEntry(int comNumber);

 private:
  ControlLink link_;
  RemoteModel model_{link_};
  mutable RemoteServer server_{link_};  // asking for the log changes nothing
  int com_;
};

class ScriptedReply {
 public:
  ScriptedReply(RemoteServer& server, std::vector<std::uint8_t> bytes);
  ScriptedReply(RemoteServer& server, const std::string& bytes)
      : ScriptedReply(server, std::vector<std::uint8_t>(bytes.begin(), bytes.end())) {}
  ~ScriptedReply();

 private:
  RemoteServer& server_;
};

// Bytes waiting in the driver's input queue of the open port.
int PendingInputBytes(const link::Port& port);

}  // namespace tvx::testing
