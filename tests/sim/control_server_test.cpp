// valve-sim's control port: commands act on the model, the server and the
// port-map folder; a client on the socket gets one reply line per command.
#include <filesystem>
#include <string>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "sim/control_server.h"
#include "support/simulated_valve.h"

namespace {

namespace fs = std::filesystem;

class ControlServerTest : public ::testing::Test {
 protected:
  ControlServerTest() { server_.start(); }
  ~ControlServerTest() override {
    control_.stop();
    server_.stop();
  }

  tvx::testing::TempFolder folder_;
  sim::ValveModel model_;
  sim::PtyServer server_{model_};
  sim::ControlServer control_{model_, server_, folder_.path()};
};

TEST_F(ControlServerTest, CommandsActOnTheValve) {
  EXPECT_EQ(control_.handle("set-parameter 5 3F000000"), "ok");
  EXPECT_EQ(model_.parameter(5), 0x3F000000u);
  EXPECT_EQ(control_.handle("parameter 5"), "ok 3F000000");
  EXPECT_EQ(control_.handle("serial-number 414243"), "ok");
  EXPECT_EQ(model_.serialNumber(), "ABC");
  EXPECT_EQ(control_.handle("read-serial-number"), "ok 414243");
  EXPECT_EQ(control_.handle("device-type"), "ok");  // an empty text
  EXPECT_EQ(model_.deviceType(), "");
  EXPECT_EQ(control_.handle("set-state 12 00000007"), "ok");
  EXPECT_EQ(control_.handle("state 12"), "ok 00000007");
  EXPECT_EQ(control_.handle("set-stop 0000000F 40A00000"), "ok");
  EXPECT_EQ(model_.stopCode(), 15u);
  EXPECT_EQ(control_.handle("command-count 6"), "ok 0");
  for (const auto kind : {sim::FaultKind::Drop, sim::LastFaultKind})  // the last kind too
    EXPECT_EQ(control_.handle("fault " + std::to_string(static_cast<int>(kind)) + " 0 1 47"), "ok");
  EXPECT_EQ(control_.handle("clear-faults"), "ok");

  EXPECT_EQ(control_.handle("register 7"), "ok");
  EXPECT_EQ(fs::read_symlink(folder_.path() / "com7"), fs::path(server_.slavePath()));
  EXPECT_TRUE(fs::exists(folder_.path() / "PortName"));
  EXPECT_EQ(control_.handle("link 8"), "ok");
  EXPECT_EQ(fs::read_symlink(folder_.path() / "com8"), fs::path(server_.slavePath()));
  EXPECT_EQ(control_.handle("stop-server"), "ok");
  EXPECT_FALSE(server_.running());
  EXPECT_EQ(control_.handle("start-server"), "ok");
  EXPECT_TRUE(server_.running());

  for (const char* bad : {"", "register", "register 17", "set-parameter 5 XYZ", "set-parameter 5 123456789",
                          "user-bank 1 00", "set-stop 1", "state", "fault 99 0 1", "send-raw 0", "nonsense"})
    EXPECT_EQ(control_.handle(bad).rfind("error", 0), 0u) << bad;
}

TEST_F(ControlServerTest, ClientOnTheSocketSeesTheRequestLog) {
  control_.start(0);
  const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(control_.port()));
  ASSERT_EQ(::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

  // A request from the tool's side of the pty, answered by a scripted reply.
  ASSERT_EQ(control_.handle("scripted-reply 41"), "ok");
  const int tty = ::open(server_.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(tty, 0);
  ASSERT_EQ(::write(tty, "\x02G030\x03", 6), 6);

  const std::string commands = "wait-requests 1 5000\njoin-scripted\nrequests\nfault 0 0 1 47\nhung-up\n";
  ASSERT_EQ(::send(sock, commands.data(), commands.size(), 0), static_cast<ssize_t>(commands.size()));
  const std::string expected = "ok 1\nok\nok 1\n024730333003 47303330\nok\nok 0\n";
  std::string got;
  char buf[256];
  while (got.size() < expected.size()) {
    const ssize_t n = ::recv(sock, buf, sizeof buf, 0);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, expected);
  char reply = 0;
  pollfd in{tty, POLLIN, 0};
  ASSERT_EQ(::poll(&in, 1, 5000), 1);
  EXPECT_EQ(::read(tty, &reply, 1), 1);
  EXPECT_EQ(reply, 'A');
  ::close(tty);
  ::close(sock);
}

}  // namespace
