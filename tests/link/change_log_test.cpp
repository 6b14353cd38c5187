// The change log against the simulated valve: what a line records of an
// operation, with the words the valve held before, after a failure, and when
// the log cannot be written.
#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/frames.h"
#include "params/parameter_set.h"
#include "params/register_map.h"
#include "params/valve_state.h"
#include "support/change_log_lines.h"
#include "support/recording_view.h"
#include "support/valve_link_test.h"

#include <fstream>
#include <functional>

namespace tvx::link {
namespace {

namespace reg = params::reg;
using Lines = std::vector<std::string>;

class ChangeLog : public testing::ValveLinkTest {
 protected:
  void SetUp() override {
    ValveLinkTest::SetUp();
    auto& m = valve_.model();
    m.setSerialNumber("SN-42");
    m.setDeviceType("PRV-10");
    m.setState(params::state::Firmware, 14031122);
    SetChangeLogFile(file_);
    SetChangeLogFailureReporter([this](const std::string& file, const std::string&) { failures_.push_back(file); });
  }
  void TearDown() override {
    SetChangeLogFile({});
    SetChangeLogFailureReporter({});
    ValveLinkTest::TearDown();
  }

  std::vector<Lines> lines() const { return testing::ChangeLogLines(file_); }
  // Operation and what was sent of each line.
  std::vector<Lines> operations() const {
    std::vector<Lines> out;
    for (const Lines& l : lines()) out.push_back(l.size() == 7 ? Lines{l[4], l[5]} : l);
    return out;
  }
  std::string changed(int r, std::uint32_t old, std::uint32_t now) const {
    return "W" + RegisterDigits(r) + " " + HexWord(old) + " -> " + HexWord(now);
  }

  testing::TempFolder folder_;
  std::filesystem::path file_ = folder_.path() / "data" / "change-log.txt";
  testing::RecordingView view_;
  testing::ScriptedQuestions questions_;
  std::vector<std::string> failures_;
};

TEST_F(ChangeLog, ASendRecordsTheValveAndExactlyTheRegistersItChanged) {
  params::ReadParameterSet(port(), valveState_, view_);
  EXPECT_TRUE(lines().empty());  // reading writes nothing
  const std::uint32_t pid = valve_.model().parameter(reg::PID_P);
  const std::uint32_t pot = valve_.model().parameter(reg::DigiPot_Value);
  const int registers = static_cast<int>(params::SendOrder.size()) + 1;

  view_.fields["PID_P"] = {"1.25", std::nullopt};
  view_.fields["DigiPot_Value"] = {"300", std::nullopt};
  params::SendParameterSet(port(), valveState_, view_, questions_, false);
  // Sent again: the words written are now the known ones.
  params::SendParameterSet(port(), valveState_, view_, questions_, true);
  view_.fields["DigiPot_Value"] = {"301", std::nullopt};
  params::SendParameterSet(port(), valveState_, view_, questions_, false);

  const auto all = lines();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(Lines(all[0].begin() + 1, all[0].end() - 3), Lines({"SN-42", "PRV-10", "V1.4   03-11-2022"}));
  EXPECT_EQ(all[0][0].size(), std::string("2026-12-08T12:45:03+01:00").size()) << all[0][0];
  EXPECT_EQ(
      operations(),
      std::vector<Lines>({
          {"Prześlij", changed(reg::PID_P, pid, 0x3FA00000u) + ", " + changed(reg::DigiPot_Value, pot, 300) + ", " +
                           std::to_string(registers - 2) + " unchanged"},
          {"Zapisz", "S999 = 5555AAAA, " + std::to_string(registers) + " unchanged"},
          {"Prześlij", changed(reg::DigiPot_Value, 300, 301) + ", " + std::to_string(registers - 1) + " unchanged"},
      }));
}

TEST_F(ChangeLog, AnOperationRecordsWhatItSentUpToAFailure) {
  params::ReadParameterSet(port(), valveState_, view_);
  const std::uint32_t pid = valve_.model().parameter(reg::PID_P);
  const std::uint32_t pot = valve_.model().parameter(reg::DigiPot_Value);
  view_.fields["PID_P"] = {"1.25", std::nullopt};
  view_.fields["DigiPot_Value"] = {"300", std::nullopt};
  // The write of the potentiometer is lost on its way: no reply.
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Ignore, 0, "W021", 1});
  EXPECT_THROW(params::SendParameterSet(port(), valveState_, view_, questions_, true), UsbError);
  // A field that does not convert stops the send before its first frame:
  // nothing to record.
  view_.fields["DigiPot_Value"] = {"-5", std::nullopt};
  EXPECT_THROW(params::SendParameterSet(port(), valveState_, view_, questions_, true), ConversionError);

  const auto ops = operations();
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0][1].substr(0, ops[0][1].find(", ")), changed(reg::PID_P, pid, 0x3FA00000u));
  EXPECT_NE(ops[0][1].find(changed(reg::DigiPot_Value, pot, 300) + " (no reply)"), std::string::npos) << ops[0][1];
  EXPECT_TRUE(ops[0][1].ends_with(" unchanged, interrupted")) << ops[0][1];
  EXPECT_EQ(reports_.size(), 1u);
}

TEST_F(ChangeLog, WhatCountsAsAnOperation) {
  struct Case {
    const char* what;
    std::function<void()> run;
    Lines line;  // empty: nothing logged
  };
  const Case cases[] = {
      {"a reset", [this] { params::ResetValve(port()); }, {"Reset", "S998 = 5555AAAA"}},
      {"a scope that only reads",
       [this] {
         ChangeLogScope s("Wykres");
         ReadParameter(port(), reg::PID_P);
       },
       {}},
      {"a live command", [this] { SendCommand(port(), params::cmd::SetValue, 0); }, {}},
      {"a parameter write on its own",
       [this] { WriteRegister(port(), reg::DigiPot_Value, 7); },
       {"(no operation)", "W021 = 00000007"}},
      {"commands in a row",
       [this] {
         ChangeLogScope s("Opcje");
         for (std::uint32_t w : {1u, 2u}) SendCommand(port(), params::cmd::SerialNumberFirst, w);
         SendCommand(port(), params::cmd::DeviceTypeFirst, 3);
       },
       {"Opcje", "S" + RegisterDigits(params::cmd::SerialNumberFirst) + " = 00000001 00000002, S" +
                     RegisterDigits(params::cmd::DeviceTypeFirst) + " = 00000003"}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(file_);
    c.run();
    const auto ops = operations();
    if (c.line.empty()) EXPECT_TRUE(ops.empty()) << c.what;
    else EXPECT_EQ(ops, std::vector<Lines>{c.line}) << c.what;
  }
  // Before a parameter read the valve is not known.
  const auto last = lines();
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(Lines(last[0].begin() + 1, last[0].begin() + 4), Lines({"?", "?", "?"}));
}

TEST_F(ChangeLog, AnUnwritableLogNeitherStopsTheOperationNorIsReportedTwice) {
  std::ofstream(folder_.path() / "data") << "a file where the folder should be";
  params::ReadParameterSet(port(), valveState_, view_);
  view_.fields["DigiPot_Value"] = {"300", std::nullopt};
  params::SendParameterSet(port(), valveState_, view_, questions_, true);
  params::ResetValve(port());
  EXPECT_EQ(valve_.model().parameter(reg::DigiPot_Value), 300u);
  EXPECT_EQ(valve_.model().commandCount(params::cmd::StoreParameters), 1u);
  EXPECT_EQ(valve_.model().commandCount(params::cmd::ResetValve), 1u);
  EXPECT_EQ(failures_, std::vector<std::string>({file_.string()}));
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
}  // namespace tvx::link
