// The port, the Receiver and the reply buffer over a real pty: timeouts, late
// and excess bytes, hang-ups, the shutdown handshake and port numbering.
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/port.h"
#include "link/protocol.h"
#include "link/pump_wait.h"
#include "link/receiver.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <poll.h>
#endif

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace tvx::link {
namespace {

using testing::SimulatedValve;

// Waits (without an exchange) until the Receiver has collected `count` bytes.
bool WaitForReplyLength(const Port& port, std::uint16_t count) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (port.ReplyLength.load() == count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

class ReportCollector {
 public:
  ReportCollector() {
    SetErrorReporter([this](const std::string& text, const std::string&) { texts.push_back(text); });
  }
  ~ReportCollector() { SetErrorReporter({}); }
  std::vector<std::string> texts;
};

int CodeOf(const std::function<void()>& exchange) {
  try {
    exchange();
  } catch (const UsbError& e) {
    return e.code();
  }
  return 0;
}

// Timeout cases, grouped: each waits out its exchange's full poll count.
TEST(LinkTimeouts, StrayByteClosedPortLateReplyAndHangUp) {
  SimulatedValve valve;
  ReportCollector reports;
  LinkSession session(valve.comNumber());
  Port& port = session.port();
  ASSERT_TRUE(session.open());

  // A stray byte before a 15-byte reply: the count passes 15 without being seen
  // there (or is seen with a wrong first byte); either way code 3.
  valve.server().injectFault(sim::Fault{sim::FaultKind::StrayByte, 0x55, "G003", 1});
  EXPECT_EQ(CodeOf([&] { ReadRegister(port, 3); }), ReadRegisterCode);
  EXPECT_EQ(port.ReplyLength.load(), 16);

  // A reply later than the timeout stays in the buffer until the next exchange.
  // The valve's reply is held back and sent once the exchange has given up,
  // however long a loaded machine stretches its 750 polls of 2 ms.
  valve.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "G005", 1});
  EXPECT_EQ(CodeOf([&] { ReadRegister(port, 5); }), ReadRegisterCode);
  const std::string late = "\x02G005=00000000\x03";
  valve.server().sendRaw(std::vector<std::uint8_t>(late.begin(), late.end()));
  ASSERT_TRUE(WaitForReplyLength(port, 15));
  EXPECT_FALSE(PortLost(port));  // a valve that is slow to answer is still there
  EXPECT_EQ(std::string(reinterpret_cast<char*>(port.ReplyBuffer), 5), "\x02G005");
  EXPECT_NO_THROW(ReadRegister(port, 30));  // resets the buffer and succeeds
  EXPECT_EQ(port.ReplyLength.load(), 15);

  // With the port closed nothing is sent and the exchange times out.
  session.close();
  valve.clearRequests();
  EXPECT_EQ(CodeOf([&] { ReadParameter(port, 1); }), ReadParameterCode);
  EXPECT_TRUE(valve.requests().empty());

  // A hung-up line: no bytes ever come; one report, the Receiver goes on.
  {
    PortLockGuard lock(port);
    ASSERT_TRUE(OpenPort(port, valve.comNumber()));
  }
  valve.server().injectFault(sim::Fault{sim::FaultKind::HangUp, 0, "", 1});
  std::size_t before = reports.texts.size();
  EXPECT_EQ(CodeOf([&] { SendCommand(port, 25, proto::MarkerTrue); }), SendCommandCode);
  EXPECT_EQ(reports.texts.size(), before + 1);
  EXPECT_EQ(reports.texts.back(), CommErrorText(SendCommandCode));
  EXPECT_TRUE(valve.server().hungUp());
  EXPECT_TRUE(PortLost(port));
  EXPECT_EQ(reports.texts.size(), 4u);
}

TEST(ReplyBuffer, KeepsTheFirst2048BytesOfAnOverflow) {
  SimulatedValve valve;
  LinkSession session(valve.comNumber());
  Port& port = session.port();
  ASSERT_TRUE(session.open());
  // One exchange first: the valve then surely knows the port is in use and
  // does not throw the unsolicited bytes away as meant for nobody.
  ReadRegister(port, 30);
  ResetReplyBuffer(port);
  std::vector<std::uint8_t> flood(2100);
  for (std::size_t i = 0; i < flood.size(); ++i) flood[i] = static_cast<std::uint8_t>(i % 253);
  valve.server().sendRaw(flood);
  ASSERT_TRUE(WaitForReplyLength(port, 2048));
  // The 52 bytes beyond the buffer are dropped, the count stays at 2048.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(port.ReplyLength.load(), 2048);
  EXPECT_TRUE(std::equal(flood.begin(), flood.begin() + 2048, port.ReplyBuffer));
}

TEST(Receiver, HandshakeCompletesWithThePortClosed) {
  Port port;
  ASSERT_FALSE(port.PortOpen.load());
  Receiver receiver(port);
  receiver.Start();
  EXPECT_TRUE(receiver.running());
  EXPECT_TRUE(port.ReceiverRun.load());
  int pumped = 0;
  receiver.Stop([&] { ++pumped; });
  EXPECT_FALSE(receiver.running());
  EXPECT_TRUE(port.ReceiverRun.load());  // the thread's acknowledgement
  ClosePortHandle(port);                 // passes the invalid handle on; no crash
  EXPECT_EQ(port.PortHandle, platform::InvalidSerialHandle());
}

TEST(Receiver, DiscardsWhatWasPendingBeforeItStarted) {
  SimulatedValve valve;
  Port port;
  {
    PortLockGuard lock(port);
    ASSERT_TRUE(OpenPort(port, valve.comNumber()));
  }
  // The valve learns of the opening asynchronously; send until ten bytes are
  // waiting in the driver.
  int waiting = 0;
  for (int attempt = 0; attempt < 500 && waiting < 10; ++attempt) {
    if (attempt % 50 == 0) valve.server().sendRaw(std::vector<std::uint8_t>(10, 'x'));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    waiting = testing::PendingInputBytes(port);
  }
  ASSERT_GE(waiting, 10);
  ResetReplyBuffer(port);
  Receiver receiver(port);
  receiver.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(port.ReplyLength.load(), 0);
  EXPECT_NO_THROW(ReadRegister(port, 30));
  receiver.Stop();
  PortLockGuard lock(port);
  ClosePort(port);
}

TEST(PortNumbers, TenToSixteenOpen) {
  SimulatedValve valve(sim::ValveConfig{}, 10);
  Port port;
  Receiver receiver(port);
  receiver.Start();
  for (int n = 10; n <= 16; ++n) {
    valve.addComEntry(n);
    {
      PortLockGuard lock(port);
      ASSERT_TRUE(OpenPort(port, n)) << n;
    }
    EXPECT_EQ(ReadRegister(port, 30), 14031122u) << n;
    PortLockGuard lock(port);
    ClosePort(port);
  }
  receiver.Stop();
}

bool WaitForPortLost(const Port& port) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!PortLost(port) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return PortLost(port);
}

// Ending the simulator is what pulling the cable does to a real port: the
// Receiver finds the port lost without an exchange, stops waiting on it (a
// hung-up tty reports its hang-up at once, for ever), and a new port opens
// clean. While the line is merely quiet it sleeps.
TEST(Receiver, SeesTheDeviceGoAndSleepsWhileQuietOrLost) {
  SimulatedValve valve;
  LinkSession session(valve.comNumber());
  Port& port = session.port();
  auto sleepsOver = [&port](std::chrono::milliseconds span) {
    const std::uint64_t before = port.ReceiverSleeps.load();
    std::this_thread::sleep_for(span);
    return port.ReceiverSleeps.load() - before;
  };
  ASSERT_TRUE(session.open());
  EXPECT_EQ(ReadRegister(port, 30), 14031122u);
  EXPECT_LE(sleepsOver(std::chrono::milliseconds(100)), 2u);
  EXPECT_FALSE(PortLost(port));

  valve.server().stop();
  ASSERT_TRUE(WaitForPortLost(port));
  EXPECT_LE(sleepsOver(std::chrono::milliseconds(100)), 2u);

  // Closed, the valve back, opened again.
  session.close();
  EXPECT_FALSE(PortLost(port));
  valve.server().start();
  valve.addComEntry(valve.comNumber());
  {
    PortLockGuard lock(port);
    ASSERT_TRUE(OpenPort(port, valve.comNumber()));
  }
  EXPECT_FALSE(PortLost(port));
  EXPECT_EQ(ReadRegister(port, 30), 14031122u);
}

TEST(PumpWait, EndsNoEarlierThanItsDeadlineAndWaitsInTheHook) {
  using std::chrono::nanoseconds;
  for (unsigned ms : {0u, 1u, 2u, 10u}) {
    std::vector<nanoseconds> asked;
    SetPumpHook([&](nanoseconds maxWait) {
      asked.push_back(maxWait);
      // Until the time is up: MinGW's sleep_for stops at the last whole millisecond.
      const auto until = std::chrono::steady_clock::now() + maxWait;
      while (std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(until - std::chrono::steady_clock::now());
    });
    const auto start = std::chrono::steady_clock::now();
    PumpWait(ms);
    const auto took = std::chrono::steady_clock::now() - start;
    SetPumpHook({});
    EXPECT_GE(took, std::chrono::milliseconds(ms)) << ms;
    // Messages processed at least once, waits that never reach past the deadline.
    ASSERT_FALSE(asked.empty()) << ms;
    for (nanoseconds w : asked) EXPECT_LT(w, std::chrono::milliseconds(ms) + nanoseconds(1)) << ms;
    if (ms >= 2) {
      // It waits in the hook rather than going round.
      EXPECT_GT(*std::max_element(asked.begin(), asked.end()), nanoseconds::zero()) << ms;
      EXPECT_LT(asked.size(), 50u) << ms;
    }
  }
  // Without a hook it sleeps by itself.
  const auto start = std::chrono::steady_clock::now();
  PumpWait(3);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3));
}

#ifndef _WIN32  // the Windows build of these tests (under Wine) has no poll()
// The timer a pump hook's event loop watches: due no earlier than armed for,
// and quiet again once disarmed.
TEST(PumpTimer, SignalsAtItsTimeUntilDisarmed) {
  PumpTimer timer;
  ASSERT_TRUE(timer.valid());
  pollfd p{static_cast<int>(timer.waitHandle()), POLLIN, 0};
  const auto start = std::chrono::steady_clock::now();
  timer.arm(std::chrono::milliseconds(3));
  ASSERT_EQ(::poll(&p, 1, 5000), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3));
  timer.disarm();
  EXPECT_EQ(::poll(&p, 1, 0), 0);  // the signal is taken back

  timer.arm(std::chrono::milliseconds(1));
  timer.disarm();
  EXPECT_EQ(::poll(&p, 1, 20), 0);  // called off before it was due
}
#endif

}  // namespace
}  // namespace tvx::link
