// The simulator on a real pseudo-terminal, driven by a plain file-descriptor
// client the way the tool drives a serial port; and the port-map registration.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "sim/port_registry.h"
#include "sim/pty_server.h"
#include "sim/valve_model.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string frame(const std::string& body) { return "\x02" + body + "\x03"; }

// A raw client on the slave side of the pty.
class Client {
 public:
  explicit Client(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) {
      termios t{};
      ::tcgetattr(fd_, &t);
      ::cfmakeraw(&t);
      ::tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~Client() { close(); }
  bool ok() const { return fd_ >= 0; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void send(const std::string& bytes) {
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Reads until n bytes arrived or the (generous) limit passed; returns what came.
  std::string read(std::size_t n, std::chrono::milliseconds limit = 3000ms) {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char buf[4096];
      const ssize_t r = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
      if (r > 0) out.append(buf, static_cast<std::size_t>(r));
      else if (r < 0 && errno != EAGAIN) break;
    }
    return out;
  }
  // Whatever arrives within a short settling time (for "nothing more came").
  std::string drain(std::chrono::milliseconds settle = 50ms) { return read(100000, settle); }
  std::string exchange(const std::string& body, std::size_t n) {
    send(frame(body));
    return read(n);
  }

 private:
  int fd_ = -1;
};

struct PtyTest : ::testing::Test {
  sim::ValveModel model;
  sim::PtyServer server{model};
  void SetUp() override { server.start(); }
};

}  // namespace

TEST_F(PtyTest, AnswersRequestsEndToEnd) {
  Client c(server.slavePath());
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(c.exchange("R002", 15), frame("R002=000007D0"));
  EXPECT_EQ(c.exchange("W003=3FC00000", 15), frame("W003=3FC00000"));
  EXPECT_EQ(c.exchange("G031", 512).size(), 512u);
  EXPECT_EQ(c.exchange("S991=AA551200", 512).size(), 512u);
  EXPECT_EQ(c.exchange("G040", 40).substr(0, 3), "TVX");
  EXPECT_EQ(c.drain(), "");  // nothing beyond the expected lengths

  ASSERT_TRUE(server.waitForRequests(5, 2s));
  EXPECT_EQ(server.requestTexts(),
            (std::vector<std::string>{"R002", "W003=3FC00000", "G031", "S991=AA551200", "G040"}));
  EXPECT_EQ(server.requestBytes()[0], std::vector<std::uint8_t>({0x02, 'R', '0', '0', '2', 0x03}));
  const auto log = server.requests();
  EXPECT_LE(log[0].time, log[1].time);
  server.clearLog();
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(PtyTest, ReopeningThePortWorks) {
  for (int round = 0; round < 3; ++round) {
    Client c(server.slavePath());
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.exchange("G030", 15), frame("G030=00D61912"));
  }
  // A reply nobody collected does not wait for the next client.
  server.injectFault(*sim::parseFault("delay:100@G030"));
  {
    Client c(server.slavePath());
    c.send(frame("G030"));
    ASSERT_TRUE(server.waitForRequests(4, 2s));
  }
  Client c(server.slavePath());
  EXPECT_EQ(c.drain(300ms), "");
  EXPECT_EQ(c.exchange("R002", 15), frame("R002=000007D0"));
}

TEST_F(PtyTest, FaultsApplyToMatchingRequests) {
  Client c(server.slavePath());
  server.injectFault(*sim::parseFault("drop@G003"));
  server.injectFault(*sim::parseFault("stray:65@R002"));
  EXPECT_EQ(c.exchange("G030", 15), frame("G030=00D61912"));  // not matching
  c.send(frame("G003"));
  ASSERT_TRUE(server.waitForRequests(2, 2s));
  EXPECT_EQ(c.drain(), "");
  EXPECT_EQ(c.exchange("R002", 16), "A" + frame("R002=000007D0"));
  EXPECT_EQ(c.exchange("G003", 15).size(), 15u);  // used up
}

TEST_F(PtyTest, AnIgnoredRequestIsLoggedButNeverReachesTheValve) {
  Client c(server.slavePath());
  server.injectFault(*sim::parseFault("ignore@S006"));
  c.send(frame("S006=AAAAAAAA"));
  ASSERT_TRUE(server.waitForRequests(1, 2s));
  EXPECT_EQ(c.drain(), "");
  EXPECT_FALSE(model.breakpoint());
  EXPECT_EQ(c.exchange("S006=AAAAAAAA", 15), frame("S006=AAAAAAAA"));
  EXPECT_TRUE(model.breakpoint());
}

TEST_F(PtyTest, UnsolicitedBytes) {
  Client c(server.slavePath());
  EXPECT_EQ(c.exchange("R002", 15).size(), 15u);
  server.sendRaw(std::vector<std::uint8_t>(3000, 0x55));
  EXPECT_EQ(c.read(3000), std::string(3000, 'U'));
}

TEST_F(PtyTest, HangUpClosesTheLine) {
  Client c(server.slavePath());
  server.injectFault(*sim::parseFault("hangup@S999"));
  EXPECT_EQ(c.exchange("R002", 15).size(), 15u);
  c.send(frame("S999=5555AAAA"));
  EXPECT_EQ(c.read(15, 500ms), "");
  ASSERT_TRUE(server.waitForRequests(2, 2s));
  EXPECT_TRUE(server.hungUp());
  // The tool sees a dead line: end of file or EIO, never a reply.
  char b;
  const int fd = ::open(server.slavePath().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  EXPECT_LE(::read(fd, &b, 1), 0);
  if (fd >= 0) ::close(fd);
  server.stop();  // clean after a hang-up too
  server.start();
  EXPECT_FALSE(server.hungUp());
  Client again(server.slavePath());
  EXPECT_EQ(again.exchange("R002", 15), frame("R002=000007D0"));
}

TEST(PtyPacing, RepliesArriveCompleteAtLineRate) {
  sim::ValveModel model;
  sim::PtyOptions options;
  options.pacing = true;
  sim::PtyServer server(model, options);
  server.start();
  Client c(server.slavePath());
  EXPECT_EQ(c.exchange("R002", 15), frame("R002=000007D0"));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(c.exchange("G032", 1024).size(), 1024u);
  // 1030 bytes of 11 bits at 115200 baud take at least 98 ms; the upper side is
  // left to the benchmarks.
  EXPECT_GE(std::chrono::steady_clock::now() - t0, 98ms);
  server.stop();
}

TEST(PtyLogFile, RequestsAreWrittenToTheFile) {
  const fs::path file = fs::temp_directory_path() / ("tvx-sim-log-" + std::to_string(::getpid()));
  fs::remove(file);
  {
    sim::ValveModel model;
    sim::PtyOptions options;
    options.logFile = file.string();
    sim::PtyServer server(model, options);
    server.start();
    Client c(server.slavePath());
    c.exchange("W003=3FC00000", 15);
    c.send("\x02R0\x01\x03");
    ASSERT_TRUE(server.waitForRequests(2, 2s));
  }
  std::ifstream in(file);
  std::string line1, line2;
  std::getline(in, line1);
  std::getline(in, line2);
  EXPECT_NE(line1.find(" <02>W003=3FC00000<03>"), std::string::npos) << line1;
  EXPECT_NE(line2.find(" <02>R0<01><03>"), std::string::npos) << line2;
  fs::remove(file);
}

// A client that keeps sending and never reads: the replies waiting to go out
// and the request log stay within their limits, the oldest dropped and
// counted; what does go out is still whole replies.
TEST(PtyLimits, AClientThatNeverReadsCannotGrowTheSimulator) {
  sim::ValveModel model;
  sim::PtyOptions options;
  options.maxLoggedRequests = 10;
  options.maxQueuedReplies = 4;
  sim::PtyServer server(model, options);
  server.start();
  Client client(server.slavePath());
  ASSERT_TRUE(client.ok());
  constexpr std::size_t Requests = 2000;  // 30 kB of replies, far more than the tty holds
  std::string burst;
  for (std::size_t i = 0; i < 100; ++i) burst += frame("G030");
  for (std::size_t i = 0; i < Requests / 100; ++i) {
    client.send(burst);
    ASSERT_TRUE(server.waitForRequests((i + 1) * 100, 5s));
  }
  EXPECT_EQ(server.requestCount(), Requests);
  EXPECT_EQ(server.requestTexts(), std::vector<std::string>(10, "G030"));
  EXPECT_EQ(server.droppedRequests(), Requests - 10);
  EXPECT_GT(server.droppedReplies(), 0u);

  const std::string got = client.drain(200ms);
  ASSERT_FALSE(got.empty());
  ASSERT_EQ(got.size() % 15, 0u);
  for (std::size_t i = 0; i < got.size(); i += 15) EXPECT_EQ(got.substr(i, 15), frame("G030=00D61912")) << i;
  server.stop();
}

TEST(PortRegistry, LinksAndAnnouncesThenRemovesOnlyItsOwn) {
  const fs::path dir = fs::temp_directory_path() / ("tvx-ports-" + std::to_string(::getpid())) / "sub";
  fs::remove_all(dir.parent_path());
  {
    sim::PortRegistration reg(dir, 3, "/dev/null");
    EXPECT_EQ(fs::read_symlink(dir / "com3"), "/dev/null");
    std::ifstream in(dir / "PortName");
    std::string name((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(name, "COM3");  // no newline
    // A second valve cannot take a live entry.
    EXPECT_THROW(sim::PortRegistration(dir, 3, "/dev/zero"), std::runtime_error);
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "com3")));
  EXPECT_FALSE(fs::exists(dir / "PortName"));

  // A stale entry left by a crashed simulator is replaced; an announcement that
  // another valve made meanwhile is left alone.
  fs::create_symlink("/dev/no-such-tty", dir / "com4");
  {
    sim::PortRegistration reg(dir, 4, "/dev/null");
    EXPECT_EQ(fs::read_symlink(dir / "com4"), "/dev/null");
    std::ofstream(dir / "PortName") << "COM7";
  }
  EXPECT_TRUE(fs::exists(dir / "PortName"));
  EXPECT_THROW(sim::PortRegistration(dir, 17, "/dev/null"), std::runtime_error);
  fs::remove_all(dir.parent_path());
}

TEST(PortRegistry, FolderFromTheEnvironment) {
  auto keep = [](const char* name) {
    const char* v = std::getenv(name);
    return std::make_pair(v != nullptr, std::string(v ? v : ""));
  };
  const auto ports = keep("TARVELMUNDIX_PORTS"), xdg = keep("XDG_CONFIG_HOME"), home = keep("HOME");
  ::setenv("TARVELMUNDIX_PORTS", "/tmp/x-ports", 1);
  EXPECT_EQ(sim::defaultPortsFolder(), "/tmp/x-ports");
  ::unsetenv("TARVELMUNDIX_PORTS");
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(sim::defaultPortsFolder(), "/tmp/cfg/tarvelmundix/ports");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/tech", 1);
  EXPECT_EQ(sim::defaultPortsFolder(), "/home/tech/.config/tarvelmundix/ports");
  auto restore = [](const char* name, const std::pair<bool, std::string>& v) {
    if (v.first) ::setenv(name, v.second.c_str(), 1);
    else ::unsetenv(name);
  };
  restore("TARVELMUNDIX_PORTS", ports);
  restore("XDG_CONFIG_HOME", xdg);
  restore("HOME", home);
}
