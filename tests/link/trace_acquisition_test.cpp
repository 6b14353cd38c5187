// The chart's exchanges against the simulated valve: opening and closing the
// chart, the read-out of a recording, restarts, and what a press during a
// read-out does.
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "sim/recording_csv.h"
#include "support/recording_view.h"
#include "support/valve_link_test.h"
#include "trace/acquisition.h"
#include "trace/chart_opening.h"
#include "trace/trace_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <functional>
#include <string>
#include <vector>

namespace tvx::trace {
namespace {

using Requests = std::vector<std::string>;

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

// A recording of `length` samples; with a marker, sample `markerAt` ends it.
std::vector<sim::TraceRecord> Recording(int length, int markerAt = -1) {
  std::vector<sim::TraceRecord> r;
  for (int n = 0; n < length; ++n) {
    const auto a = static_cast<std::uint16_t>(n == markerAt ? sim::TraceEnd : 100 + n);
    r.push_back(sim::makeTraceRecord(a, static_cast<std::uint16_t>(2 * n), Bits(static_cast<float>(n) / 50.0f),
                                     Bits(static_cast<float>(-n) / 50.0f)));
  }
  return r;
}

std::size_t Count(const Requests& all, const std::string& text) {
  return static_cast<std::size_t>(std::count(all.begin(), all.end(), text));
}

class RecordingView : public TraceView {
 public:
  void DrawFrame(const ChartScales& scales) override { frames.push_back(scales); }
  void DrawSample(int n, const TraceSample&) override {
    drawn.push_back(n);
    if (onSample) onSample(n);
  }
  void ReadoutEnded() override { ++ended; }
  void StartRecordingWait(std::int64_t ms) override { waits.push_back(ms); }

  std::vector<ChartScales> frames;
  std::vector<int> drawn;
  std::vector<std::int64_t> waits;
  int ended = 0;
  std::function<void(int)> onSample;
};

class TraceAcquisitionTest : public testing::ValveLinkTest {
 protected:
  // Runs `action` once from inside the waits of the chunk request for block
  // `block` (0-based), as a press handled while the read-out waits.
  void DuringBlock(int block, const std::function<void()>& action) {
    link::SetPumpHook([this, block, action, done = false](std::chrono::nanoseconds) mutable {
      if (done || Count(valve_.requests(), "G010") < static_cast<std::size_t>(block) + 1) return;
      done = true;
      action();
    });
  }

  RecordingView view_;
  TraceAcquisition acquisition_{port(), view_, 2000, 1};
};

TEST_F(TraceAcquisitionTest, ReadOutEndsAtTheMarkerOrAfterFiveHundredSamples) {
  struct Case {
    int length, markerAt;
    std::size_t chunks;
    int drawn;
  } cases[] = {{500, 137, 28, 137}, {500, 0, 1, 0}, {500, -1, 100, 500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.markerAt);
    valve_.model().setTraceRecording(Recording(c.length, c.markerAt));
    valve_.clearRequests();
    view_ = RecordingView();
    acquisition_.ReadOut();
    const Requests log = valve_.requests();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Requests(log.begin(), log.begin() + 3), (Requests{"S011=00000000", "G012", "G038"}));
    EXPECT_EQ(Count(log, "G010"), c.chunks);
    EXPECT_EQ(log.size(), 3 + c.chunks);
    EXPECT_EQ(static_cast<int>(view_.drawn.size()), c.drawn);
    EXPECT_EQ(acquisition_.drawnSamples(), c.drawn);
    EXPECT_EQ(view_.ended, 1);
    EXPECT_FALSE(acquisition_.busy());
    if (c.markerAt >= 0) {
      EXPECT_TRUE(acquisition_.buffer()[static_cast<std::size_t>(c.markerAt)].IsEndMarker());
      EXPECT_EQ(acquisition_.buffer()[static_cast<std::size_t>(c.markerAt) + 1], TraceSample{});
    }
  }
  EXPECT_EQ(acquisition_.buffer()[499].coilA, 599);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(TraceAcquisitionTest, ScaleMaximaOfZeroCountAsOneHundred) {
  valve_.model().overrideState(12, 0x07C20000u);
  valve_.model().overrideState(38, 0);
  valve_.model().setTraceRecording(Recording(5, 0));
  acquisition_.ReadOut();
  ASSERT_EQ(view_.frames.size(), 1u);
  EXPECT_EQ(view_.frames[0].currentMax, 1986);
  EXPECT_EQ(view_.frames[0].monitorMax, 100);
}

TEST_F(TraceAcquisitionTest, AMissingChunkEndsTheReadOutWithCodeFourAndKeepsWhatWasDrawn) {
  valve_.model().setTraceRecording(Recording(500));
  valve_.server().injectFault(*sim::parseFault("drop@G010+3"));
  EXPECT_THROW(acquisition_.ReadOut(), link::UsbError);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], link::CommErrorText(link::ReadTraceChunkCode));
  EXPECT_EQ(view_.drawn.size(), 10u);
  EXPECT_EQ(view_.ended, 1);
  EXPECT_FALSE(acquisition_.busy());
  EXPECT_FALSE(acquisition_.exchanging());
}

TEST_F(TraceAcquisitionTest, PressesDuringAReadOutWaitForItsEnd) {
  valve_.model().setTraceRecording(Recording(500));
  // Restart, another read-out, a period and a source picked while block 3 is read.
  DuringBlock(3, [this] {
    acquisition_.ReadOut();
    acquisition_.PickDivider(10);
    acquisition_.ChooseSource(4);
    acquisition_.Restart();
  });
  acquisition_.ReadOut();
  const Requests log = valve_.requests();
  // The read-out ends at the stop flag within the block, then the writes and
  // the restart follow, each after the exchange before it.
  EXPECT_EQ(Count(log, "G010"), 4u);
  EXPECT_EQ(Requests(log.end() - 3, log.end()), (Requests{"W096=0000000A", "W120=00000004", "S002=00000000"}));
  EXPECT_EQ(view_.frames.size(), 1u);
  EXPECT_LE(view_.drawn.size(), 20u);
  EXPECT_EQ(view_.ended, 1);
  // 10 x 1000 / 2000 Hz = 5 ms a sample: 2500 ms for the recording.
  EXPECT_EQ(view_.waits, (std::vector<std::int64_t>{2500}));
  EXPECT_TRUE(reports_.empty());
}

// The divider the program holds after the window is the valve's: a period
// picked during a read-out is written even when the window closes before the
// read-out ends; a pick that never reaches the valve is not held.
TEST_F(TraceAcquisitionTest, TheHeldDividerNeverDiffersFromTheValves) {
  valve_.model().setTraceRecording(Recording(500));
  DuringBlock(3, [this] {
    acquisition_.PickDivider(10);
    acquisition_.ChooseSource(4);
    acquisition_.Close();
  });
  acquisition_.ReadOut();
  const Requests log = valve_.requests();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(Requests(log.end() - 2, log.end()), (Requests{"W096=0000000A", "W120=00000004"}));
  EXPECT_EQ(acquisition_.valveDivider(), 10u);
  EXPECT_EQ(valve_.model().parameter(96), 10u);
  acquisition_.PickDivider(20);  // the window has gone
  EXPECT_EQ(acquisition_.valveDivider(), 10u);
  EXPECT_EQ(acquisition_.divider(), 10u);

  TraceAcquisition other(port(), view_, 2000, 5);
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Ignore, 0, "W096", 1});
  EXPECT_THROW(other.PickDivider(50), link::UsbError);
  EXPECT_EQ(valve_.model().parameter(96), 10u);
  EXPECT_EQ(other.valveDivider(), 5u);
  EXPECT_EQ(other.divider(), 5u);
  EXPECT_EQ(reports_.size(), 1u);
}

TEST_F(TraceAcquisitionTest, RestartWaitsForTheWholeRecordingRoundedUp) {
  TraceAcquisition fast(port(), view_, 3000, 1);
  fast.Restart();
  EXPECT_EQ(valve_.requests(), (Requests{"S002=00000000"}));
  EXPECT_EQ(view_.waits, (std::vector<std::int64_t>{167}));
  fast.Shown(std::chrono::milliseconds(100));
  EXPECT_EQ(view_.waits.back(), 67);

  view_.waits.clear();
  fast.Close();
  fast.Restart();
  fast.ReadOut();
  EXPECT_TRUE(view_.waits.empty());
  EXPECT_EQ(valve_.requests().size(), 1u);  // nothing after closing
}

TEST_F(TraceAcquisitionTest, OpeningReadsMaskAndSourceAndRepairsTheSource) {
  testing::ScriptedQuestions messages;
  struct Case {
    std::uint32_t source;
    int used;
    Requests requests;
  } cases[] = {
      {6, 6, {"R109", "R120"}}, {0, 1, {"R109", "R120", "W120=00000001"}}, {7, 1, {"R109", "R120", "W120=00000001"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    valve_.model().setParameter(109, 0x1B);
    valve_.model().setParameter(120, c.source);
    valve_.clearRequests();
    const auto opening = OpenChart(port(), "2000", 0, messages);
    ASSERT_TRUE(opening);
    EXPECT_EQ(opening->channelMask, 0x1Bu);
    EXPECT_EQ(opening->source, c.used);
    EXPECT_EQ(opening->pwmHz, 2000u);
    EXPECT_EQ(opening->divider, 1u);
    EXPECT_EQ(valve_.requests(), c.requests);
  }
  EXPECT_TRUE(messages.asked.empty());
}

TEST_F(TraceAcquisitionTest, AFailedMaskReadOpensWithAllChannelsAndSourceOne) {
  testing::ScriptedQuestions messages;
  valve_.model().setParameter(120, 5);
  valve_.server().injectFault(*sim::parseFault("drop@R109"));
  const auto opening = OpenChart(port(), "1000", 20, messages);
  ASSERT_TRUE(opening);
  EXPECT_EQ(opening->channelMask, AllChannels);
  EXPECT_EQ(opening->source, 1);
  EXPECT_EQ(opening->divider, 20u);
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(valve_.requests(), (Requests{"R109"}));
}

TEST_F(TraceAcquisitionTest, APwmWithoutPeriodsKeepsTheChartClosed) {
  for (const char* pwm : {"---", "0", "-2000"}) {
    testing::ScriptedQuestions messages;
    EXPECT_FALSE(OpenChart(port(), pwm, 1, messages)) << pwm;
    EXPECT_EQ(messages.asked.size(), 1u);
  }
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(TraceAcquisitionTest, ClosingWritesTheMaskOnlyWhenItChanged) {
  EXPECT_TRUE(CloseChart(port(), 0x1F, 0x1F));
  EXPECT_TRUE(valve_.requests().empty());
  EXPECT_TRUE(CloseChart(port(), 0xFFFFFFFFu, 0xFFFFFFEFu));
  EXPECT_EQ(valve_.requests(), (Requests{"W109=FFFFFFEF"}));
  valve_.server().injectFault(*sim::parseFault("drop@W109"));
  EXPECT_FALSE(CloseChart(port(), 0x1F, 0x0F));
  EXPECT_EQ(reports_.size(), 1u);
}

TEST_F(TraceAcquisitionTest, ACsvOfTheValvesOwnRecordingLoadsBackIntoTheSimulator) {
  // The simulator's physics: a step to 5 V recorded at 2000 Hz.
  link::SendCommand(port(), 1, 0xAAAAAAAAu);
  link::SendCommand(port(), 3, Bits(5.0f));
  link::PumpWait(300);
  acquisition_.ReadOut();
  ASSERT_EQ(acquisition_.drawnSamples(), 500);
  const std::string csv = TraceCsv(acquisition_.buffer(), 500, 0.5, PositionMode{});
  std::string error;
  const auto loaded = sim::parseRecordingCsv(csv, error);
  ASSERT_TRUE(loaded) << error;
  ASSERT_EQ(loaded->size(), 500u);
  for (std::size_t n = 0; n < 500; ++n) {
    const TraceSample s = DecodeSample(std::span<const std::uint8_t, 12>((*loaded)[n]));
    ASSERT_EQ(s, acquisition_.buffer()[n]) << "sample " << n;
  }
}

}  // namespace
}  // namespace tvx::trace
