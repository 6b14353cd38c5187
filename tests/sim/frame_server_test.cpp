// The byte-level protocol engine: request framing, reply layout byte for byte,
// raw blocks, and what each injected fault does to a reply.
#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/frame_server.h"
#include "sim/valve_model.h"

namespace {

std::string frame(const std::string& body) { return "\x02" + body + "\x03"; }
std::string str(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

struct FrameTest : ::testing::Test {
  sim::ManualClock clock;
  sim::ValveModel model{sim::ValveConfig{}, clock.clock()};
  sim::FrameServer server{model};
  std::string ask(const std::string& body) { return str(server.process(frame(body))); }
};

}  // namespace

TEST_F(FrameTest, FramedRepliesEchoLetterAndNumber) {
  EXPECT_EQ(ask("R002"), frame("R002=000007D0"));
  EXPECT_EQ(ask("G030"), frame("G030=00D61912"));
  EXPECT_EQ(ask("W003=3FC00000"), frame("W003=3FC00000"));
  EXPECT_EQ(model.parameter(3), 0x3FC00000u);
  EXPECT_EQ(ask("S004=0000FFFF"), frame("S004=00000FFF"));  // DAC value clamped
  EXPECT_EQ(ask("G011"), frame("G011=FFFFFFFF"));
  EXPECT_EQ(ask("S984=AAAA5503"), frame("S984=AAAA0000"));
  // Lower-case hex digits in a request are understood; replies are upper case.
  EXPECT_EQ(ask("W096=0000000a"), frame("W096=0000000A"));
}

TEST_F(FrameTest, RawReplyLengths) {
  EXPECT_EQ(ask("G031").size(), 512u);
  EXPECT_EQ(ask("G032").size(), 1024u);
  EXPECT_EQ(ask("G010").size(), 60u);
  EXPECT_EQ(ask("G035").size(), 88u);
  EXPECT_EQ(ask("G036").size(), 88u);
  EXPECT_EQ(ask("G037").size(), 88u);
  const std::string serial = ask("G040");
  ASSERT_EQ(serial.size(), 40u);
  EXPECT_EQ(serial.substr(0, 14), "TVX-2311-00417");
  EXPECT_EQ(serial[39], '\0');
  EXPECT_EQ(ask("G041").size(), 40u);
  EXPECT_EQ(ask("S991=AA551200").size(), 512u);
  EXPECT_EQ(ask("S991=AA552100").size(), 256u);
  model.setRawBlock(33, std::vector<std::uint8_t>(2048, 0x41));
  EXPECT_EQ(ask("G033"), std::string(2048, 'A'));
}

TEST_F(FrameTest, ParameterBlockIsLittleEndian) {
  model.setParameter(1, 0x80000000u);
  model.setParameter(128, 0x01020304u);
  const std::string b = ask("G031");
  EXPECT_EQ(b.substr(0, 4), std::string("\0\0\0\x80", 4));
  EXPECT_EQ(b.substr(508, 4), std::string("\x04\x03\x02\x01", 4));
}

TEST_F(FrameTest, MalformedRequestsGetNoReply) {
  for (const char* body :
       {"R0A1", "R01", "R0011", "X001", "W003=3FC0000G", "W003:3FC00000", "S01=12345678", "G001=00000000", "W003"}) {
    SCOPED_TRACE(body);
    EXPECT_EQ(ask(body), "");
  }
  EXPECT_EQ(model.parameter(3), sim::ValveModel::factoryParameters({})[3]);  // nothing written
}

TEST_F(FrameTest, ResynchronisesOnStx) {
  // Garbage before a frame, a broken frame cut short by a new STX, a runaway
  // frame without ETX: only the complete frames are answered.
  const std::string stream =
      std::string("xx\x03") + "\x02R00" + frame("R002") + "\x02W003=3FC000003FC00000" + frame("G030");
  EXPECT_EQ(str(server.process(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size())),
            frame("R002=000007D0") + frame("G030=00D61912"));

  // A request split over several reads.
  EXPECT_EQ(server.process("\x02R0"), std::vector<std::uint8_t>{});
  EXPECT_EQ(str(server.process("02\x03")), frame("R002=000007D0"));
}

TEST_F(FrameTest, FeedReportsEveryFrameWithItsText) {
  const std::string bytes = frame("W003=3FC00000") + frame("R0A1");
  auto requests = server.feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].valid);
  EXPECT_EQ(requests[0].text, "W003=3FC00000");
  EXPECT_EQ(requests[0].letter, 'W');
  EXPECT_EQ(requests[0].number, 3);
  EXPECT_EQ(requests[0].value, 0x3FC00000u);
  EXPECT_EQ(requests[0].raw.size(), 15u);
  EXPECT_FALSE(requests[1].valid);
  EXPECT_EQ(requests[1].text, "R0A1");
}

TEST(Faults, ParseCommandLineForms) {
  auto f = sim::parseFault("delay:2000@G003x2");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->kind, sim::FaultKind::Delay);
  EXPECT_EQ(f->param, 2000);
  EXPECT_EQ(f->match, "G003");
  EXPECT_EQ(f->count, 2);

  f = sim::parseFault("hangup");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->kind, sim::FaultKind::HangUp);
  EXPECT_EQ(f->match, "");
  EXPECT_EQ(f->count, 1);

  EXPECT_TRUE(sim::parseFault("stray:85"));
  EXPECT_EQ(sim::parseFault("ignore@S029")->kind, sim::FaultKind::Ignore);
  EXPECT_TRUE(sim::parseFault("truncate:7@S"));
  for (const char* bad : {"", "explode", "delay", "truncate:x", "drop@", "drop x0", "stray:300", "delay:-5", "dropx"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(sim::parseFault(bad));
  }
}

TEST(Faults, ApplyChangesTheReply) {
  const std::vector<std::uint8_t> reply = sim::FrameServer::framed('G', 3, 0x1234);
  auto apply = [&](const char* text) { return sim::applyFault(*sim::parseFault(text), reply); };

  EXPECT_TRUE(apply("drop").bytes.empty());
  auto delayed = apply("delay:250");
  EXPECT_EQ(delayed.bytes, reply);
  EXPECT_EQ(delayed.delayMs, 250);
  auto stx = apply("stx").bytes;
  ASSERT_EQ(stx.size(), 15u);
  EXPECT_NE(stx[0], 0x02);
  EXPECT_TRUE(std::equal(stx.begin() + 1, stx.end(), reply.begin() + 1));
  auto etx = apply("etx").bytes;
  EXPECT_NE(etx[14], 0x03);
  EXPECT_EQ(etx[0], 0x02);
  auto stray = apply("stray").bytes;
  ASSERT_EQ(stray.size(), 16u);
  EXPECT_EQ(stray[0], 0x00);
  EXPECT_TRUE(std::equal(stray.begin() + 1, stray.end(), reply.begin()));
  EXPECT_EQ(apply("truncate:7").bytes, std::vector<std::uint8_t>(reply.begin(), reply.begin() + 7));
  auto garbage = apply("garbage").bytes;
  ASSERT_EQ(garbage.size(), 15u);
  for (auto b : garbage) EXPECT_TRUE(b != 0x02 && b != 0x03);
  // Noise keeps a framed reply's frame and header; its value is hex noise.
  auto noise = apply("noise").bytes;
  ASSERT_EQ(noise.size(), 15u);
  EXPECT_TRUE(std::equal(noise.begin(), noise.begin() + 6, reply.begin()));
  EXPECT_EQ(noise[14], 0x03);
  EXPECT_NE(std::vector<std::uint8_t>(noise.begin() + 6, noise.end() - 1),
            std::vector<std::uint8_t>(reply.begin() + 6, reply.end() - 1));
  for (auto it = noise.begin() + 6; it != noise.end() - 1; ++it) EXPECT_TRUE(std::isxdigit(*it)) << *it;
  EXPECT_TRUE(apply("hangup").hangUp);
  EXPECT_TRUE(apply("ignore").bytes.empty());
}

TEST(Faults, PlanMatchesRequestsAndCounts) {
  sim::FaultPlan plan;
  plan.add(*sim::parseFault("drop@G003x2"));
  plan.add(*sim::parseFault("etx"));
  EXPECT_EQ(plan.take("G003")->kind, sim::FaultKind::Drop);
  EXPECT_EQ(plan.take("R001")->kind, sim::FaultKind::CorruptEtx);  // the next of any kind
  EXPECT_FALSE(plan.take("R001"));
  EXPECT_EQ(plan.take("G003")->kind, sim::FaultKind::Drop);
  EXPECT_FALSE(plan.take("G003"));
  EXPECT_TRUE(plan.empty());
}
