// The outputs the valve keeps driving (test signal, manual PWM, DAC override,
// remote control): what the program knows of them from its own exchanges, and
// switching them off, against the simulated valve's request log.
#include "link/exchanges.h"
#include "link/protocol.h"
#include "remote/live_outputs.h"
#include "remote/manual_outputs.h"
#include "remote/switches.h"
#include "remote/test_signal.h"
#include "support/recording_view.h"
#include "support/scripted_dialog.h"
#include "support/valve_link_test.h"

#include <functional>
#include <iterator>

namespace tvx::remote {
namespace {

using Requests = std::vector<std::string>;
const std::vector<LiveOutput> All(std::begin(AllLiveOutputs), std::end(AllLiveOutputs));

class LiveOutputsTest : public testing::ValveLinkTest {
 protected:
  void SetUp() override {
    ValveLinkTest::SetUp();
    WatchOutputs(port(), &known_);
  }
  void TearDown() override {
    WatchOutputs(port(), nullptr);
    ValveLinkTest::TearDown();
  }
  // The four switched on by the program's own commands.
  void AllOn() {
    SwitchRemoteControl(port(), view_, true);
    SwitchDacOverride(port(), true);
    link::SendCommand(port(), 18, 1200u << 16);
    link::SendCommand(port(), 19, 1);
    link::WriteRegister(port(), 108, 4);
  }

  LiveOutputs known_;
  testing::RecordingView view_;
};

TEST_F(LiveOutputsTest, KnownFromTheProgramsCommandsAndFromTheReadsThatTellThem) {
  struct Case {
    const char* what;
    std::function<void()> run;
    const char* marker;
  };
  const Case cases[] = {
      {"remote switch", [this] { SwitchRemoteControl(port(), view_, true); }, "Włączone: sterowanie zdalne"},
      {"remote on and off",
       [this] {
         SwitchRemoteControl(port(), view_, true);
         SwitchRemoteControl(port(), view_, false);
       },
       ""},
      {"DAC override", [this] { SwitchDacOverride(port(), true); }, "Włączone: DAC ręcznie"},
      {"manual PWM dialog",
       [this] {
         testing::ScriptedDialog dialog;
         ManualPwm pwm(port(), dialog);
         pwm.Open();
         dialog.setChecked("Enable_PWM_B", true);
         pwm.Send();
       },
       "Włączone: PWM ręcznie"},
      {"test signal dialog",
       [this] {
         testing::ScriptedDialog dialog;
         dialog.user = [](testing::ScriptedDialog& d) {
           d.setChecked("AutoSquare", true);
           return true;
         };
         TestSignalSetup(port(), dialog);
       },
       "Włączone: symulacja"},
      {"the valve's state read",
       [this] {
         valve_.model().setState(1, proto::MarkerTrue);
         valve_.model().setState(14, proto::MarkerTrue);
         valve_.model().setState(27, 3);
         valve_.model().setParameter(108, 2);
         for (int reg : {1, 14, 27}) link::ReadRegister(port(), reg);
         link::ReadParameter(port(), 108);
       },
       "Włączone: symulacja, PWM ręcznie, DAC ręcznie, sterowanie zdalne"},
      {"parameter block and a sent set with the remote bit",
       [this] {
         std::uint8_t block[512];
         link::ReadBlock(port(), 31, block);
         link::WriteRegister(port(), 1, 1u << 21);
       },
       "Włączone: symulacja, sterowanie zdalne"},
      {"valve reset", [this] { AllOn(), link::SendCommand(port(), 998, proto::OneShot); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    known_.Forget();
    // The parameter block carries waveform 1 (the first case's valve says 2).
    valve_.model().setParameter(108, 1);
    c.run();
    EXPECT_EQ(LiveOutputsMarker(known_), c.marker);
    known_.Forget();
    EXPECT_FALSE(known_.any());
  }
  EXPECT_TRUE(reports_.empty());
}

TEST_F(LiveOutputsTest, SwitchingOffAsksOnceAndSendsTheSwitchingOffCommands) {
  testing::ScriptedQuestions questions;
  EXPECT_FALSE(OfferSwitchOff(port(), known_, All, questions, &view_));  // nothing on: nothing asked
  EXPECT_TRUE(questions.asked.empty());

  AllOn();
  valve_.clearRequests();
  questions.answers = {view::Questions::Answer::No};
  EXPECT_FALSE(OfferSwitchOff(port(), known_, All, questions, &view_));
  EXPECT_TRUE(requests().empty());  // "Nie" leaves it all as it is
  EXPECT_TRUE(known_.any());

  // A dialog asks about its own output only.
  questions.answers = {view::Questions::Answer::Yes};
  EXPECT_TRUE(OfferSwitchOff(port(), known_, {LiveOutput::ManualPwm}, questions, nullptr));
  EXPECT_EQ(requests(), (Requests{"S018=04B00000", "S019=00000000"}));
  ASSERT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(questions.asked[1], std::string(SwitchOffCaption) + "|" + SwitchOffQuestion({LiveOutput::ManualPwm}));
  EXPECT_NE(questions.asked[1].find("sterowanie ręczne wyjściami PWM"), std::string::npos);

  SwitchDacOverride(port(), true);
  link::SendCommand(port(), 19, 3);
  valve_.clearRequests();
  EXPECT_TRUE(OfferSwitchOff(port(), known_, All, questions, &view_));
  EXPECT_EQ(requests(),
            (Requests{"W108=00000000", "S018=04B00000", "S019=00000000", "S005=55555555", "S001=55555555", "G002"}));
  EXPECT_FALSE(known_.any());
  auto& valve = valve_.model();
  EXPECT_EQ(valve.parameter(108), 0u);
  EXPECT_EQ(valve.peekState(27) & 3u, 0u);
  EXPECT_EQ(valve.peekState(28), 1200u << 16);  // the values as they were
  EXPECT_EQ(valve.peekState(14), proto::MarkerFalse);
  EXPECT_EQ(valve.peekState(1), proto::MarkerFalse);
  EXPECT_TRUE(view_.setValue.has_value());
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
}  // namespace tvx::remote
