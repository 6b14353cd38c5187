#include "sim/control_server.h"

#include <bit>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <system_error>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

namespace {

std::string toHex(const std::vector<std::uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (std::uint8_t b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

bool fromHex(const std::string& hex, std::vector<std::uint8_t>& out) {
  if (hex.size() % 2) return false;
  out.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = hex.substr(i, 2);
    const unsigned long v = std::strtoul(pair.c_str(), &end, 16);
    if (*end) return false;
    out.push_back(static_cast<std::uint8_t>(v));
  }
  return true;
}

bool toNumber(const std::string& s, long& out, int base = 10) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtol(s.c_str(), &end, base);
  return errno == 0 && *end == '\0';
}

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

ControlServer::ControlServer(ValveModel& model, PtyServer& server, std::filesystem::path portsFolder)
    : model_(model), server_(server), folder_(std::move(portsFolder)) {}

ControlServer::~ControlServer() { stop(); }

void ControlServer::start(int port) {
  listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_ < 0) throw std::system_error(errno, std::generic_category(), "socket");
  const int yes = 1;
  ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t len = sizeof addr;
  if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 4) != 0 ||
      ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
    const int e = errno;
    closeFd(listen_);
    throw std::system_error(e, std::generic_category(), "control port");
  }
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { run(); });
}

void ControlServer::stop() {
  if (thread_.joinable()) {
    const char b = 1;
    (void)!::write(wake_[1], &b, 1);
    thread_.join();
  }
  handle("join-scripted");
  closeFd(listen_);
  closeFd(wake_[0]);
  closeFd(wake_[1]);
  std::lock_guard lock(mu_);
  registrations_.clear();
}

void ControlServer::run() {
  while (true) {
    pollfd fds[2] = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    serve(client);
    ::close(client);
  }
}

void ControlServer::serve(int client) {
  std::string pending;
  char buf[4096];
  while (true) {
    pollfd fds[2] = {{client, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents) return;
    const ssize_t n = ::read(client, buf, sizeof buf);
    if (n <= 0) return;
    pending.append(buf, static_cast<std::size_t>(n));
    std::size_t eol;
    while ((eol = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, eol);
      pending.erase(0, eol + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::string reply = handle(line) + "\n";
      for (std::size_t sent = 0; sent < reply.size();) {
        const ssize_t w = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (w <= 0) return;
        sent += static_cast<std::size_t>(w);
      }
    }
  }
}

std::string ControlServer::handle(const std::string& line) {
  std::istringstream in(line);
  std::string cmd, a, b, c, d;
  in >> cmd >> a >> b >> c >> d;
  long n = 0, m = 0;
  std::vector<std::uint8_t> bytes;
  auto word = [](const std::string& s, std::uint32_t& w) {
    long v = 0;
    if (s.empty() || s.size() > 8 || !toNumber(s, v, 16)) return false;
    w = static_cast<std::uint32_t>(static_cast<unsigned long>(v));
    return true;
  };
  std::uint32_t w = 0;
  try {
    if (cmd == "register" || cmd == "link") {
      if (!toNumber(a, n)) return "error COM number";
      std::lock_guard lock(mu_);
      if (cmd == "register") {
        registrations_.push_back(std::make_unique<PortRegistration>(folder_, static_cast<int>(n), server_.slavePath()));
      } else {
        const auto entry = folder_ / ("com" + std::to_string(n));
        std::error_code ec;
        std::filesystem::remove(entry, ec);
        std::filesystem::create_symlink(server_.slavePath(), entry);
      }
      return "ok";
    }
    if (cmd == "set-parameter" && toNumber(a, n) && word(b, w)) return model_.setParameter(int(n), w), "ok";
    if (cmd == "override-state" && toNumber(a, n) && word(b, w)) return model_.overrideState(int(n), w), "ok";
    auto wordReply = [](std::uint32_t value) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%08X", value);
      return std::string("ok ") + hex;
    };
    if (cmd == "parameter" && toNumber(a, n)) return wordReply(model_.parameter(int(n)));
    if (cmd == "set-state" && toNumber(a, n) && word(b, w)) return model_.setState(int(n), w), "ok";
    if (cmd == "state" && toNumber(a, n)) return wordReply(model_.peekState(int(n)));
    std::uint32_t w2 = 0;
    if (cmd == "set-stop" && word(a, w) && word(b, w2)) return model_.setStop(w, std::bit_cast<float>(w2)), "ok";
    if (cmd == "read-serial-number" || cmd == "read-device-type") {
      const std::string text = cmd == "read-serial-number" ? model_.serialNumber() : model_.deviceType();
      return "ok " + toHex(std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    if (cmd == "command-count" && toNumber(a, n)) return "ok " + std::to_string(model_.commandCount(int(n)));
    if (cmd == "raw-block" && toNumber(a, n) && fromHex(b, bytes)) return model_.setRawBlock(int(n), bytes), "ok";
    if (cmd == "user-bank" && toNumber(a, n) && fromHex(b, bytes) && bytes.size() == BankBytes) {
      Bank bank{};
      std::copy(bytes.begin(), bytes.end(), bank.begin());
      model_.setUserBank(int(n), bank);
      return "ok";
    }
    if ((cmd == "serial-number" || cmd == "device-type") && fromHex(a, bytes)) {
      const std::string text(bytes.begin(), bytes.end());
      cmd == "serial-number" ? model_.setSerialNumber(text) : model_.setDeviceType(text);
      return "ok";
    }
    long param = 0, count = 0;
    if (cmd == "fault" && toNumber(a, n) && n >= 0 && n <= static_cast<long>(LastFaultKind) && toNumber(b, param) &&
        toNumber(c, count) && fromHex(d, bytes)) {
      server_.injectFault(
          Fault{static_cast<FaultKind>(n), int(param), std::string(bytes.begin(), bytes.end()), int(count)});
      return "ok";
    }
    if (cmd == "clear-faults") return server_.clearFaults(), "ok";
    if (cmd == "send-raw" && fromHex(a, bytes)) return server_.sendRaw(bytes), "ok";
    if (cmd == "scripted-reply" && fromHex(a, bytes)) {
      // As a test's scripted reply: the valve's own reply is dropped and these
      // bytes go out once the request is in.
      const std::size_t before = server_.requestCount();
      server_.injectFault(Fault{FaultKind::Drop, 0, "", 1});
      std::lock_guard lock(mu_);
      scripted_.emplace_back([this, before, bytes] {
        if (server_.waitForRequests(before + 1, std::chrono::seconds(10))) server_.sendRaw(bytes);
      });
      return "ok";
    }
    if (cmd == "join-scripted") {
      std::vector<std::thread> threads;
      {
        std::lock_guard lock(mu_);
        threads.swap(scripted_);
      }
      for (auto& t : threads) t.join();
      return "ok";
    }
    if (cmd == "requests") {
      const auto log = server_.requests();
      std::string reply = "ok " + std::to_string(log.size());
      for (const auto& r : log)
        reply += "\n" + toHex(r.raw) + " " + toHex(std::vector<std::uint8_t>(r.text.begin(), r.text.end()));
      return reply;
    }
    if (cmd == "request-count") return "ok " + std::to_string(server_.requestCount());
    if (cmd == "clear-log") return server_.clearLog(), "ok";
    if (cmd == "wait-requests" && toNumber(a, n) && toNumber(b, m)) {
      const bool came = server_.waitForRequests(std::size_t(n), std::chrono::milliseconds(m));
      return came ? "ok 1" : "ok 0";
    }
    if (cmd == "hung-up") return server_.hungUp() ? "ok 1" : "ok 0";
    if (cmd == "stop-server") return server_.stop(), "ok";
    if (cmd == "start-server") return server_.start(), "ok";
  } catch (const std::exception& e) {
    return std::string("error ") + e.what();
  }
  return "error bad command: " + line;
}

}  // namespace sim
