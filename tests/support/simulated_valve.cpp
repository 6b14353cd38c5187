#include "support/simulated_valve.h"

#include "link/port.h"
#include "platform/port_names.h"

#include <sys/ioctl.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace tvx::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  char pattern[] = "/tmp/tvx-test-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  ::setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (had_) ::setenv(name_.c_str(), old_.c_str(), 1);
  else ::unsetenv(name_.c_str());
}

SimulatedValve::SimulatedValve(sim::ValveConfig config, int comNumber, sim::PtyOptions options)
    : config_(std::move(config)), options_(std::move(options)), com_(comNumber) {
  env_ = std::make_unique<ScopedEnvironment>(platform::PortMapEnvironmentVariable, folder_.path().string());
  start();
}

void SimulatedValve::start() {
  model_ = std::make_unique<sim::ValveModel>(config_);
  server_ = std::make_unique<sim::PtyServer>(*model_, options_);
  server_->start();
  registration_ = std::make_unique<sim::PortRegistration>(folder_.path(), com_, server_->slavePath());
}

SimulatedValve::~SimulatedValve() {
  registration_.reset();
  server_->stop();
}

void SimulatedValve::restart() {
  registration_.reset();
  server_->stop();
  server_.reset();
  model_.reset();
  start();
}

void SimulatedValve::addComEntry(int comNumber) {
  fs::path entry = folder_.path() / ("com" + std::to_string(comNumber));
  std::error_code ec;
  fs::remove(entry, ec);
  fs::create_symlink(server_->slavePath(), entry);
}

ScriptedReply::ScriptedReply(sim::PtyServer& server, std::vector<std::uint8_t> bytes) {
  std::size_t before = server.requestCount();
  server.injectFault(sim::Fault{sim::FaultKind::Drop, 0, "", 1});
  thread_ = std::thread([&server, before, bytes = std::move(bytes)]() mutable {
    if (server.waitForRequests(before + 1, std::chrono::seconds(10))) server.sendRaw(std::move(bytes));
  });
}

ScriptedReply::~ScriptedReply() {
  if (thread_.joinable()) thread_.join();
}

int PendingInputBytes(const link::Port& port) {
  int waiting = 0;
  return ::ioctl(static_cast<int>(port.PortHandle.native), FIONREAD, &waiting) == 0 ? waiting : -1;
}

}  // namespace tvx::testing
