#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/frame_trace.h"
#include "link/frames.h"
#include "link/protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace tvx::link {
namespace {

std::string AsText(const Frame& f) { return std::string(f.begin(), f.end()); }

TEST(RegisterDigits, PadsToThreeDigits) {
  EXPECT_EQ(RegisterDigits(5), "005");
  EXPECT_EQ(RegisterDigits(67), "067");
  EXPECT_EQ(RegisterDigits(999), "999");
  EXPECT_EQ(RegisterDigits(0), "000");
}

TEST(RequestFrames, ShortAndValueRequestsAreByteExact) {
  EXPECT_EQ(AsText(ShortRequest('R', 5)), "\x02R005\x03");
  EXPECT_EQ(AsText(ShortRequest('G', 67)), "\x02G067\x03");
  EXPECT_EQ(AsText(ValueRequest('S', 999, proto::OneShot)), "\x02S999=5555AAAA\x03");
  EXPECT_EQ(AsText(ValueRequest('W', 3, FloatToWord(1.5f))), "\x02W003=3FC00000\x03");
  EXPECT_EQ(ShortRequest('G', 31).size(), proto::ShortRequestLength);
  EXPECT_EQ(ValueRequest('W', 1, 0).size(), proto::ValueRequestLength);
}

TEST(RequestFrames, HexWordIsUpperCaseMostSignificantFirst) {
  EXPECT_EQ(HexWord(0), "00000000");
  EXPECT_EQ(HexWord(0xAA551200u), "AA551200");
  EXPECT_EQ(HexWord(0xdeadbeefu), "DEADBEEF");
}

TEST(RequestFrames, ProfileBankArgument) {
  EXPECT_EQ(HexWord(proto::ProfileBankArgument(1, 512)), "AA551200");
  EXPECT_EQ(HexWord(proto::ProfileBankArgument(0, 512)), "AA550200");
  EXPECT_EQ(HexWord(proto::ProfileBankArgument(2, 512)), "AA552200");
}

TEST(RequestFrames, BlockLengthByRegister) {
  EXPECT_EQ(proto::BlockLength(31), 512u);
  EXPECT_EQ(proto::BlockLength(32), 1024u);
  EXPECT_EQ(proto::BlockLength(33), 2048u);
  EXPECT_EQ(proto::BlockLength(1), 2048u);
}

struct ReplyCase {
  const char* reply;
  bool intact;
  std::optional<std::uint32_t> value;
};

TEST(FramedReply, ChecksFramingAndConvertsBothHexCases) {
  const ReplyCase cases[] = {
      {"\x02G003=000ABCDE\x03", true, 0x000ABCDEu},  {"\x02G003=000abcde\x03", true, 0x000ABCDEu},
      {"\x02XXXXXFFFFFFFF\x03", true, 0xFFFFFFFFu},   // bytes 1 to 5 are not examined
      {"\x01G003=00000001\x03", false, 1u},           // wrong STX
      {"\x02G003=00000001\x04", false, 1u},           // wrong ETX
      {"\x02G003=0000G001\x03", true, std::nullopt},  // not a hex digit
      {"\x02G003= 0000001\x03", true, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(c.reply);
    EXPECT_EQ(FramedReplyIntact(bytes), c.intact) << c.reply;
    EXPECT_EQ(FramedReplyValue(bytes), c.value) << c.reply;
  }
}

TEST(TextReply, TrailingNulsAreTrimmedOnly) {
  std::uint8_t bytes[40] = {};
  EXPECT_EQ(TextFromReply(bytes, 40), "");
  std::copy_n("ABC", 3, bytes);  // no NUL after it
  EXPECT_EQ(TextFromReply(bytes, 40), "ABC");
  bytes[5] = 'Z';  // an inner NUL stays
  EXPECT_EQ(TextFromReply(bytes, 40), std::string("ABC\0\0Z", 6));
  std::memset(bytes, 'x', 40);
  EXPECT_EQ(TextFromReply(bytes, 40).size(), 40u);
}

TEST(FloatWords, BitPatterns) {
  EXPECT_EQ(FloatToWord(1.5f), 0x3FC00000u);
  EXPECT_EQ(FloatToWord(1.25f), 0x3FA00000u);
  EXPECT_FLOAT_EQ(WordToFloat(0x40166666u), 2.35f);
}

TEST(ExchangeTimings, FollowTheProtocolTable) {
  struct Row {
    ExchangeCode code;
    PollOrder order;
    unsigned wait;
    int polls;
    bool framed;
    unsigned pause;
  };
  const Row rows[] = {
      {ReadParameterCode, PollOrder::WaitThenCompare, 1, 1500, true, 10},
      {WriteRegisterCode, PollOrder::WaitThenCompare, 1, 1500, false, 10},
      {ReadRegisterCode, PollOrder::WaitThenCompare, 2, 750, true, 0},
      {ReadTraceChunkCode, PollOrder::CancelCompareWait, 1, 1500, false, 0},
      {ReadBlockCode, PollOrder::CompareThenWait, 1, 2500, false, 10},
      {ReadProfileBankCode, PollOrder::CompareThenWait, 1, 2500, false, 10},
      {ReadLinTableCode, PollOrder::CompareThenWait, 1, 2500, false, 10},
      {ReadSerialNumberCode, PollOrder::CompareThenWait, 1, 2500, false, 10},
      {ReadDeviceTypeCode, PollOrder::CompareThenWait, 1, 2500, false, 10},
      {SendCommandCode, PollOrder::WaitThenCompare, 10, 250, true, 10},
  };
  for (const auto& r : rows) {
    const ExchangeTiming& t = TimingOf(r.code);
    EXPECT_EQ(t.code, r.code);
    EXPECT_EQ(t.order, r.order) << r.code;
    EXPECT_EQ(t.waitMs, r.wait) << r.code;
    EXPECT_EQ(t.polls, r.polls) << r.code;
    EXPECT_EQ(t.framed, r.framed) << r.code;
    EXPECT_EQ(t.pauseMs, r.pause) << r.code;
  }
}

TEST(CommErrorReport, ShowsTextAndCaptionThenThrowsUsbError) {
  std::string text, caption;
  SetErrorReporter([&](const std::string& t, const std::string& c) {
    text = t;
    caption = c;
  });
  try {
    CommError(7);
    FAIL() << "CommError returned";
  } catch (const UsbError& e) {
    EXPECT_STREQ(e.what(), "USB error");
    EXPECT_EQ(e.code(), 7);
  }
  EXPECT_EQ(text, " Błąd komunikacji USB z rozdzielaczem.  \n Ustawienia mogą być nieprawidłowe! \n Kod błędu: 7");
  EXPECT_EQ(caption, " Błąd USB");
  SetErrorReporter({});
}

TEST(FrameTraceLine, HexAndAscii) {
  const std::uint8_t request[] = {0x02, 'R', '0', '0', '1', 0x03};
  EXPECT_EQ(FormatTraceLine(FrameDirection::Sent, request, sizeof request), "TX 02 52 30 30 31 03  .R001.");
  EXPECT_EQ(FormatTraceLine(FrameDirection::TimedOut, request, 0), "RX (timed out)  ");
}

}  // namespace
}  // namespace tvx::link
