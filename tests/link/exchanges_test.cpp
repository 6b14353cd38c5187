// The exchanges over a real pty against the simulated valve: frames as they
// arrive at the valve, reply conversion, raw blocks and texts.
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/frames.h"
#include "link/port.h"
#include "link/protocol.h"
#include "link/pump_wait.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tvx::link {
namespace {

using testing::ScriptedReply;
using testing::SimulatedValve;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

class Exchanges : public ::testing::Test {
 protected:
  Exchanges() : session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    SetErrorReporter([this](const std::string& text, const std::string&) { reports_.push_back(text); });
    valve_.clearRequests();
  }
  void TearDown() override { SetErrorReporter({}); }

  SimulatedValve valve_;
  LinkSession session_;

  link::Port& port() { return session_.port(); }
  std::vector<std::string> reports_;
};

TEST_F(Exchanges, FramedReadsSendExactFramesAndConvertReplies) {
  valve_.model().setParameter(5, 0x3F000000u);
  valve_.model().overrideState(67, 0x00ABCDEFu);
  EXPECT_EQ(ReadParameter(port(), 5), 0x3F000000u);
  EXPECT_EQ(ReadRegister(port(), 67), 0x00ABCDEFu);
  valve_.model().overrideState(2, FloatToWord(2.35f));
  EXPECT_FLOAT_EQ(ReadRegisterFloat(port(), 2), 2.35f);
  EXPECT_EQ(valve_.requests(), (std::vector<std::string>{"R005", "G067", "G002"}));
  EXPECT_EQ(valve_.server().requestBytes().at(0), Bytes("\x02R005\x03"));
  EXPECT_TRUE(reports_.empty());
}

TEST_F(Exchanges, WriteRegisterSendsTheFloatBitPattern) {
  WriteRegisterFloat(port(), 3, 1.5f);
  WriteRegister(port(), 103, 7);
  auto raw = valve_.server().requestBytes();
  ASSERT_EQ(raw.size(), 2u);
  EXPECT_EQ(raw[0], Bytes("\x02W003=3FC00000\x03"));
  EXPECT_EQ(valve_.model().parameter(3), 0x3FC00000u);
  EXPECT_EQ(valve_.requests()[1], "W103=00000007");
}

TEST_F(Exchanges, ANestedExchangeIsRefusedWithoutDisturbingTheRunningOne) {
  valve_.model().setParameter(5, 0x12345678u);
  int refused = 0;
  bool seenBusy = false;
  SetPumpHook([&](std::chrono::nanoseconds) {
    seenBusy = seenBusy || ExchangeInProgress();
    try {
      ReadRegister(port(), 67);
    } catch (const ExchangeBusy&) {
      ++refused;
    }
  });
  EXPECT_EQ(ReadParameter(port(), 5), 0x12345678u);
  SetPumpHook({});
  EXPECT_TRUE(seenBusy);
  EXPECT_GT(refused, 0);
  EXPECT_FALSE(ExchangeInProgress());
  EXPECT_EQ(valve_.requests(), (std::vector<std::string>{"R005"}));
  EXPECT_TRUE(reports_.empty());
}

TEST_F(Exchanges, SendCommandReturnsTheValvesWord) {
  // The DAC command answers the value the valve took, limited to 12 bits.
  EXPECT_EQ(SendCommand(port(), 4, 5000), 4095u);
  EXPECT_EQ(valve_.requests().back(), "S004=00001388");
  ScriptedReply reply(valve_.server(), "\x02S009=12345678\x03");
  EXPECT_EQ(SendCommand(port(), 9, proto::MarkerTrue), 0x12345678u);
  EXPECT_EQ(valve_.requests().back(), "S009=AAAAAAAA");
}

TEST_F(Exchanges, LowerCaseHexDigitsConvert) {
  ScriptedReply reply(valve_.server(), "\x02G030=00d6180a\x03");
  EXPECT_EQ(ReadRegister(port(), 30), 0x00D6180Au);
}

TEST_F(Exchanges, NonHexDigitIsAConversionErrorWithoutCommErrorMessage) {
  ScriptedReply reply(valve_.server(), "\x02R001=0000X001\x03");
  try {
    ReadParameter(port(), 1);
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'0000X001' is not a valid integer value");
  }
  EXPECT_TRUE(reports_.empty());
}

TEST_F(Exchanges, ParameterBlockIsLittleEndianWords) {
  valve_.model().setParameter(1, 0x00000007u);
  valve_.model().setParameter(2, 2000);
  valve_.model().setParameter(128, 0xA1B2C3D4u);
  std::uint8_t block[512];
  ReadBlock(port(), 31, block);
  EXPECT_EQ(valve_.requests(), (std::vector<std::string>{"G031"}));
  auto word = [&](int k) {
    const std::uint8_t* p = block + std::ptrdiff_t{4} * (k - 1);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
  };
  EXPECT_EQ(word(1), 7u);
  EXPECT_EQ(word(2), 2000u);
  EXPECT_EQ(word(128), 0xA1B2C3D4u);
}

TEST_F(Exchanges, OtherBlocksExpectTheirLengths) {
  std::vector<std::uint8_t> big(2048);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
  valve_.model().setRawBlock(33, big);
  std::vector<std::uint8_t> buffer(2048);
  ReadBlock(port(), 33, buffer.data());
  EXPECT_EQ(buffer, big);
  std::vector<std::uint8_t> second(1024, 0x5A);
  valve_.model().setRawBlock(32, second);
  ReadBlock(port(), 32, buffer.data());
  EXPECT_TRUE(std::equal(second.begin(), second.end(), buffer.begin()));
}

TEST_F(Exchanges, ProfileBankLinTableAndTexts) {
  sim::Bank bank{};
  for (std::size_t i = 0; i < bank.size(); ++i) bank[i] = static_cast<std::uint8_t>(255 - i % 251);
  valve_.model().setUserBank(1, bank);
  std::uint8_t image[512];
  ReadProfileBank(port(), 1, 512, image);
  EXPECT_EQ(valve_.requests().back(), "S991=AA551200");
  EXPECT_EQ(0, std::memcmp(image, bank.data(), 512));

  valve_.model().setParameterFloat(45 + 3, 1.25f);  // table 2, measured value of point 3
  std::uint8_t table[88];
  ReadLinTable(port(), 2, table);
  EXPECT_EQ(valve_.requests().back(), "G036");
  std::uint32_t point3;
  std::memcpy(&point3, table + 12, 4);
  EXPECT_EQ(point3, FloatToWord(1.25f));

  valve_.model().setSerialNumber("ABC");
  valve_.model().setDeviceType("");
  EXPECT_EQ(ReadSerialNumber(port()), "ABC");
  EXPECT_EQ(ReadDeviceType(port()), "");
  valve_.model().setDeviceType(std::string(40, 'T'));
  EXPECT_EQ(ReadDeviceType(port()), std::string(40, 'T'));
  EXPECT_EQ(valve_.requests().back(), "G041");
}

TEST_F(Exchanges, TraceChunkReadsSixtyBytesAndStopsAtOnceWhenCancelled) {
  std::uint8_t chunk[60];
  bool cancel = false;
  SendCommand(port(), 11, 0);
  EXPECT_TRUE(ReadTraceChunk(port(), chunk, cancel));
  EXPECT_EQ(valve_.requests().back(), "G010");
  cancel = true;
  EXPECT_FALSE(ReadTraceChunk(port(), chunk, cancel));
  EXPECT_TRUE(reports_.empty());
}

TEST_F(Exchanges, WrongStxFailsAtOnceWithTheOperationsCode) {
  valve_.server().injectFault(sim::Fault{sim::FaultKind::CorruptStx, 0, "G", 1});
  auto start = std::chrono::steady_clock::now();
  try {
    ReadRegister(port(), 15);
    FAIL() << "no error";
  } catch (const UsbError& e) {
    EXPECT_EQ(e.code(), ReadRegisterCode);
  }
  // The check happens as soon as 15 bytes are in: far below the 1.5 s timeout.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], CommErrorText(3));
  valve_.server().injectFault(sim::Fault{sim::FaultKind::CorruptEtx, 0, "S", 1});
  EXPECT_THROW(SendCommand(port(), 25, proto::MarkerTrue), UsbError);
  EXPECT_EQ(reports_.back(), CommErrorText(10));
}

TEST_F(Exchanges, WriteRegisterDoesNotExamineItsReply) {
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Garbage, 0, "W", 1});
  EXPECT_NO_THROW(WriteRegister(port(), 2, 1000));
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
}  // namespace tvx::link
