// Winsock before anything that brings in windows.h.
#include <winsock2.h>

#include "support/simulated_valve.h"

#include "link/port.h"
#include "platform/valve_port_lookup.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tvx::testing {

namespace {

std::string Hex(const std::uint8_t* data, std::size_t size) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < size; ++i) {
    s += digits[data[i] >> 4];
    s += digits[data[i] & 15];
  }
  return s;
}
std::string Hex(const std::vector<std::uint8_t>& b) { return Hex(b.data(), b.size()); }
std::string Hex(const std::string& s) { return Hex(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

std::vector<std::uint8_t> Bytes(const std::string& hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::string Word(std::uint32_t w) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", w);
  return buf;
}

// The log lines of "requests": raw bytes and text, both in hex.
std::vector<std::pair<std::string, std::string>> LogLines(ControlLink& link) {
  const std::string reply = link.command("requests");
  const std::size_t count = std::stoul(reply);
  std::vector<std::pair<std::string, std::string>> lines;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string line = link.readLine();
    const std::size_t space = line.find(' ');
    lines.emplace_back(line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1));
  }
  return lines;
}

}  // namespace

TempFolder::TempFolder() {
  const auto base = std::filesystem::temp_directory_path();
  for (unsigned n = GetCurrentProcessId() * 7919u + GetTickCount();; ++n) {
    path_ = base / ("tvx-test-" + std::to_string(n));
    if (std::filesystem::create_directory(path_)) return;
  }
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  _putenv_s(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  // An empty value removes the variable.
  _putenv_s(name_.c_str(), had_ ? old_.c_str() : "");
}

ControlLink::ControlLink() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  const char* port = std::getenv("TVX_SIM_CONTROL");
  if (!port || !*port) throw std::runtime_error("TVX_SIM_CONTROL is not set: run through scripts/wine-tests.sh");
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<u_short>(std::atoi(port)));
  if (s == INVALID_SOCKET || ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
    throw std::runtime_error(std::string("cannot reach valve-sim's control port ") + port);
  socket_ = s;
}

ControlLink::~ControlLink() {
  ::closesocket(static_cast<SOCKET>(socket_));
  WSACleanup();
}

std::string ControlLink::readLine() {
  std::size_t eol;
  while ((eol = pending_.find('\n')) == std::string::npos) {
    char buf[4096];
    const int n = ::recv(static_cast<SOCKET>(socket_), buf, sizeof buf, 0);
    if (n <= 0) throw std::runtime_error("valve-sim's control port closed");
    pending_.append(buf, static_cast<std::size_t>(n));
  }
  std::string line = pending_.substr(0, eol);
  pending_.erase(0, eol + 1);
  return line;
}

std::string ControlLink::command(const std::string& line, std::size_t extraLines) {
  const std::string out = line + "\n";
  if (::send(static_cast<SOCKET>(socket_), out.data(), static_cast<int>(out.size()), 0) != int(out.size()))
    throw std::runtime_error("valve-sim's control port closed");
  const std::string reply = readLine();
  if (reply.rfind("ok", 0) != 0) throw std::runtime_error("valve-sim: " + line + ": " + reply);
  std::string result = reply.size() > 3 ? reply.substr(3) : std::string();
  for (std::size_t i = 0; i < extraLines; ++i) result += "\n" + readLine();
  return result;
}

std::uint32_t RemoteModel::parameter(int reg) {
  return static_cast<std::uint32_t>(std::stoul(link_.command("parameter " + std::to_string(reg)), nullptr, 16));
}
void RemoteModel::setParameter(int reg, std::uint32_t value) {
  link_.command("set-parameter " + std::to_string(reg) + " " + Word(value));
}
void RemoteModel::setParameterFloat(int reg, float value) { setParameter(reg, std::bit_cast<std::uint32_t>(value)); }
void RemoteModel::overrideState(int reg, std::uint32_t value) {
  link_.command("override-state " + std::to_string(reg) + " " + Word(value));
}
void RemoteModel::setState(int reg, std::uint32_t value) {
  link_.command("set-state " + std::to_string(reg) + " " + Word(value));
}
void RemoteModel::setStateFloat(int reg, float value) { setState(reg, std::bit_cast<std::uint32_t>(value)); }
std::uint32_t RemoteModel::peekState(int reg) {
  return static_cast<std::uint32_t>(std::stoul(link_.command("state " + std::to_string(reg)), nullptr, 16));
}
float RemoteModel::peekStateFloat(int reg) { return std::bit_cast<float>(peekState(reg)); }
void RemoteModel::setStop(std::uint32_t code, float criticalValue) {
  link_.command("set-stop " + Word(code) + " " + Word(std::bit_cast<std::uint32_t>(criticalValue)));
}
std::uint32_t RemoteModel::commandCount(int number) {
  return static_cast<std::uint32_t>(std::stoul(link_.command("command-count " + std::to_string(number))));
}
void RemoteModel::setRawBlock(int reg, std::vector<std::uint8_t> bytes) {
  link_.command("raw-block " + std::to_string(reg) + " " + Hex(bytes));
}
void RemoteModel::setUserBank(int bank, const sim::Bank& image) {
  link_.command("user-bank " + std::to_string(bank) + " " + Hex(image.data(), image.size()));
}
void RemoteModel::setSerialNumber(const std::string& text) { link_.command("serial-number " + Hex(text)); }
void RemoteModel::setDeviceType(const std::string& text) { link_.command("device-type " + Hex(text)); }
std::string RemoteModel::serialNumber() {
  const auto b = Bytes(link_.command("read-serial-number"));
  return std::string(b.begin(), b.end());
}
std::string RemoteModel::deviceType() {
  const auto b = Bytes(link_.command("read-device-type"));
  return std::string(b.begin(), b.end());
}

void RemoteServer::injectFault(sim::Fault f) {
  link_.command("fault " + std::to_string(static_cast<int>(f.kind)) + " " + std::to_string(f.param) + " " +
                std::to_string(f.count) + " " + Hex(f.match));
}
void RemoteServer::clearFaults() { link_.command("clear-faults"); }
void RemoteServer::sendRaw(std::vector<std::uint8_t> bytes) { link_.command("send-raw " + Hex(bytes)); }
std::vector<std::string> RemoteServer::requestTexts() {
  std::vector<std::string> texts;
  for (const auto& [raw, text] : LogLines(link_)) {
    const auto b = Bytes(text);
    texts.emplace_back(b.begin(), b.end());
  }
  return texts;
}
std::vector<std::vector<std::uint8_t>> RemoteServer::requestBytes() {
  std::vector<std::vector<std::uint8_t>> frames;
  for (const auto& [raw, text] : LogLines(link_)) frames.push_back(Bytes(raw));
  return frames;
}
std::size_t RemoteServer::requestCount() { return std::stoul(link_.command("request-count")); }
void RemoteServer::clearLog() { link_.command("clear-log"); }
bool RemoteServer::waitForRequests(std::size_t n, std::chrono::milliseconds timeout) {
  return link_.command("wait-requests " + std::to_string(n) + " " + std::to_string(timeout.count())) == "1";
}
bool RemoteServer::hungUp() { return link_.command("hung-up") == "1"; }
void RemoteServer::stop() { link_.command("stop-server"); }
void RemoteServer::start() { link_.command("start-server"); }
void RemoteServer::scriptReply(const std::vector<std::uint8_t>& bytes) {
  link_.command("scripted-reply " + Hex(bytes));
}
void RemoteServer::joinScriptedReplies() { link_.command("join-scripted"); }

SimulatedValve::SimulatedValve(sim::ValveConfig, int comNumber) : com_(comNumber) {
  link_.command("register " + std::to_string(comNumber));
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, platform::ValveRegistryKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot enter the valve's port in the registry");
  const std::string name = "COM" + std::to_string(comNumber);
  const LSTATUS set = RegSetValueExA(key, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                                     static_cast<DWORD>(name.size() + 1));
  RegCloseKey(key);
  if (set != ERROR_SUCCESS) throw std::runtime_error("cannot enter the valve's port in the registry");
}

SimulatedValve::~SimulatedValve() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, platform::ValveRegistryKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, "PortName");
    RegCloseKey(key);
  }
}

void SimulatedValve::addComEntry(int comNumber) { link_.command("link " + std::to_string(comNumber)); }

ScriptedReply::ScriptedReply(RemoteServer& server, std::vector<std::uint8_t> bytes) : server_(server) {
  server_.scriptReply(bytes);
}

ScriptedReply::~ScriptedReply() { server_.joinScriptedReplies(); }

int PendingInputBytes(const link::Port& port) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(reinterpret_cast<HANDLE>(port.PortHandle.native), &errors, &status)) return -1;
  return static_cast<int>(status.cbInQue);
}

}  // namespace tvx::testing
