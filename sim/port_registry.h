// Registers the simulated valve's pty in the port-map folder, so that the tool
// finds it exactly like a plugged-in valve: a symbolic link "com<N>" to the tty
// and the announcement file "PortName" holding "COM<N>".
#pragma once

#include <filesystem>
#include <string>

namespace sim {

// The port-map folder: $TARVELMUNDIX_PORTS, else $XDG_CONFIG_HOME/tarvelmundix/ports,
// else ~/.config/tarvelmundix/ports.
std::filesystem::path defaultPortsFolder();

class PortRegistration {
 public:
  // Creates the folder if needed, then "com<N>" -> devicePath and PortName. An
  // existing "com<N>" is replaced only when it is a link to a device that no
  // longer exists; otherwise std::runtime_error. Throws std::runtime_error or
  // std::filesystem::filesystem_error on failure.
  PortRegistration(std::filesystem::path folder, int comNumber, std::string devicePath);
  ~PortRegistration();  // release()
  PortRegistration(const PortRegistration&) = delete;
  PortRegistration& operator=(const PortRegistration&) = delete;

  // Removes what this registration created and still finds unchanged.
  void release() noexcept;

  std::filesystem::path linkPath() const { return folder_ / ("com" + std::to_string(com_)); }
  std::filesystem::path portNamePath() const { return folder_ / "PortName"; }
  std::string comName() const { return "COM" + std::to_string(com_); }

 private:
  std::filesystem::path folder_;
  int com_;
  std::string device_;
  bool linked_ = false;
  bool announced_ = false;
};

}  // namespace sim
