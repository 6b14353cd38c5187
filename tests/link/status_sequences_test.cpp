// The status refresh and the actions around it against the simulated valve,
// below the windows: the order of the requests, what each one shows, and what
// a failure leaves behind.
#include "link/comm_error.h"
#include "link/protocol.h"
#include "params/register_map.h"
#include "params/valve_state.h"
#include "status/status_refresh.h"
#include "status/status_state.h"
#include "support/recording_view.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tvx::status {
namespace {

using Requests = std::vector<std::string>;
namespace state = params::state;

class StatusSequences : public ::testing::Test {
 protected:
  StatusSequences() : session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    link::SetErrorReporter([this](const std::string& text, const std::string&) { reports_.push_back(text); });
    valve_.clearRequests();
  }
  void TearDown() override { link::SetErrorReporter({}); }
  void Refresh() { StatusRefresh(port(), valveState_, statusState_, view_, {true, true}); }
  std::size_t count(const std::string& request) const {
    const Requests r = valve_.requests();
    return static_cast<std::size_t>(std::count(r.begin(), r.end(), request));
  }

  testing::SimulatedValve valve_;
  link::LinkSession session_;

  link::Port& port() { return session_.port(); }
  params::ValveState valveState_;
  StatusState statusState_;
  testing::RecordingView view_;
  std::vector<std::string> reports_;
};

TEST_F(StatusSequences, OneRefreshReadsEverythingInItsOrder) {
  valve_.model().setParameter(params::reg::ErrorMask, 0x8000);
  valve_.model().setParameter(params::reg::TemperatureWarning, 80);
  valve_.model().setErrorHistory({17, 20});
  valve_.model().setStop(15, 2001.65f);
  Refresh();
  EXPECT_EQ(valve_.requests(),
            Requests({"R067", "R115", "G002", "G003", "G004", "G005", "S997=5555AAAA", "G006", "G006",
                      "G006", "G007", "G008", "G011", "G026", "G013", "G015",          "G016", "G018",
                      "G019", "G020", "G021", "G022", "G023", "G034", "G043"}));
  EXPECT_EQ(statusState_.TemperatureLimit, 80);
  EXPECT_EQ(statusState_.ErrorHistory[0], 17);
  EXPECT_EQ(statusState_.ErrorHistory[1], 20);
  EXPECT_EQ(statusState_.ErrorHistory[2], 0);
  EXPECT_EQ(statusState_.LastStopCode, 15);
  EXPECT_TRUE(view_.visible["StopInfo"]);
  EXPECT_TRUE(view_.hints.contains("Info_Temp"));
  EXPECT_TRUE(reports_.empty());

  // Without bit 15 the limit stays at 999 and parameter 115 is not read; no
  // stop, no register 26, and the stop labels are hidden.
  valve_.model().setParameter(params::reg::ErrorMask, 0x7FFF);
  valve_.model().setStop(sim::NoStop, 0);
  valve_.model().setErrorHistory({});
  valve_.clearRequests();
  Refresh();
  EXPECT_EQ(valve_.requests(),
            Requests({"R067", "G002", "G003", "G004", "G005", "S997=5555AAAA", "G006", "G007", "G008", "G011", "G013",
                      "G015", "G016", "G018", "G019", "G020", "G021",          "G022", "G023", "G034", "G043"}));
  EXPECT_EQ(statusState_.TemperatureLimit, 999);
  EXPECT_FALSE(view_.visible["StopCodeLabel"]);
  EXPECT_FALSE(view_.visible["StopInfo"]);
}

TEST_F(StatusSequences, ErrorHistoryEndsAtZeroOrAfter256Codes) {
  statusState_.ErrorHistory.fill(9);
  valve_.model().setErrorHistory({});
  Refresh();
  EXPECT_EQ(count("G006"), 1u);
  for (std::uint8_t code : statusState_.ErrorHistory) ASSERT_EQ(code, 0);

  std::vector<std::uint32_t> codes(300);
  for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<std::uint32_t>(1 + i % 255);
  valve_.model().setErrorHistory(codes);
  valve_.clearRequests();
  Refresh();
  EXPECT_EQ(count("G006"), 256u);
  EXPECT_EQ(statusState_.ErrorHistory[0], 1);
  EXPECT_EQ(statusState_.ErrorHistory[254], 255);
  EXPECT_EQ(statusState_.ErrorHistory[255], 1);
  const Requests r = valve_.requests();
  const auto history = std::find(r.begin(), r.end(), "S997=5555AAAA") - r.begin();
  EXPECT_EQ(r[static_cast<std::size_t>(history + 1 + 256)], "G007");
}

TEST_F(StatusSequences, AFailureEndsTheRefreshAndWhatWasReadStaysShown) {
  // A history word above 255 is no code: a range error after two G006.
  valve_.model().overrideState(state::PeakA, 4096);
  valve_.model().setErrorHistory({5, 256, 7});
  EXPECT_THROW(Refresh(), link::ConversionError);
  EXPECT_EQ(valve_.requests().back(), "G006");
  EXPECT_EQ(count("G006"), 2u);
  EXPECT_EQ(view_.texts["Coil_A_Peak"], "3,300 A");
  EXPECT_FALSE(view_.texts.contains("Info_Usupply"));

  // A lost reply: reported once by the link, the refresh ends at it.
  valve_.model().setErrorHistory({});
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "G013", 1});
  valve_.clearRequests();
  EXPECT_THROW(Refresh(), link::UsbError);
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(valve_.requests().back(), "G013");
  EXPECT_TRUE(view_.texts.contains("Coil_A_Set"));
  EXPECT_FALSE(view_.fields.contains("DAC_Value"));
}

TEST_F(StatusSequences, ResetsAndTheStopClearSendTheirCommands) {
  struct Case {
    std::function<void()> action;
    Requests sent;
  };
  statusState_.LastStopCode = 15;
  const Case cases[] = {
      {[this] { ResetTemperatureMax(port()); }, {"S992=5555AAAA"}},
      {[this] { ResetUsupplyMax(port()); }, {"S996=5555AAAA"}},
      {[&] { ResetPeak(port(), view_, 'A'); }, {"S993=5555AAAA"}},
      {[&] { ResetPeak(port(), view_, 'B'); }, {"S993=AAAA5555"}},
      {[this] { SendFirmwareLabelCommand(port()); }, {"S025=AAAAAAAA"}},
      {[this] { ClearSoftStop(port(), statusState_); }, {}},  // code 15 is not cleared
      {[this] {
         statusState_.LastStopCode = 12;
         ClearSoftStop(port(), statusState_);
       },
       {"S009=AAAAAAAA"}},
  };
  for (const Case& c : cases) {
    valve_.clearRequests();
    c.action();
    EXPECT_EQ(valve_.requests(), c.sent);
  }
  EXPECT_EQ(view_.calls, Requests({"text Coil_A_Peak=0.000 A", "text Coil_B_Peak=0.000 A"}));
}

}  // namespace
}  // namespace tvx::status
