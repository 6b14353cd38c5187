// The test signal, the manual PWM outputs and the DAC output against the
// simulated valve, asserted on the request log.
#include "link/comm_error.h"
#include "params/conversions.h"
#include "remote/manual_outputs.h"
#include "remote/test_signal.h"
#include "support/scripted_dialog.h"
#include "support/valve_link_test.h"

namespace tvx::remote {
namespace {

using testing::ScriptedDialog;
using Requests = std::vector<std::string>;

class RemoteSequences : public testing::ValveLinkTest {
 protected:
  explicit RemoteSequences(sim::ValveConfig config = {}) : ValveLinkTest(std::move(config)) {}
  ScriptedDialog dialog_;
};

TEST_F(RemoteSequences, TestSignalShowsTheWaveformAndWritesTheCheckedOne) {
  struct Case {
    std::uint32_t reported;
    const char* shown;  // "" for none
    const char* chosen;
    const char* written;
  };
  const Case cases[] = {
      {4, "AutoTriangle", nullptr, "W108=00000004"},
      {1, "AutoSinus", nullptr, "W108=00000001"},
      {2, "AutoSquare", "AutoStop", "W108=00000000"},
      {0, "AutoStop", "AutoSinus", "W108=00000001"},
      {9, "AutoSinus", nullptr, "W108=00000001"},
      {3, "", nullptr, "W108=00000000"},
      {7, "", nullptr, "W108=00000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    valve_.model().setParameter(108, c.reported);
    valve_.clearRequests();
    ScriptedDialog dialog;
    std::string shown = "";
    dialog.user = [&](ScriptedDialog& d) {
      for (const auto& [name, on] : d.checks)
        if (on) shown = name;
      if (c.chosen)
        for (const WaveformRadio& w : Waveforms) d.setChecked(w.name, w.name == c.chosen);
      return true;
    };
    TestSignalSetup(port(), dialog);
    EXPECT_EQ(shown, c.shown);
    const Requests r = requests();
    ASSERT_EQ(r.size(), 8u);
    EXPECT_EQ(Requests(r.begin(), r.begin() + 4), (Requests{"R105", "R106", "R107", "R108"}));
    EXPECT_EQ(r.back(), c.written);
  }
}

TEST_F(RemoteSequences, TestSignalWritesTheFieldsOrNothing) {
  valve_.model().setParameter(105, 0x3F9E0610u);  // shows "1,235"; sent back as read
  dialog_.user = [](ScriptedDialog& d) {
    d.type("Offset", "-2.5");
    d.setChecked("AutoSinus", true);
    return true;
  };
  TestSignalSetup(port(), dialog_);
  EXPECT_EQ(dialog_.text("Amplitude"), "1,235");
  EXPECT_EQ(requests(), (Requests{"R105", "R106", "R107", "R108", "W105=3F9E0610", "W106=3F800000", "W107=C0200000",
                                  "W108=00000001"}));

  valve_.clearRequests();
  ScriptedDialog cancelled;
  cancelled.user = [](ScriptedDialog&) { return false; };
  TestSignalSetup(port(), cancelled);
  EXPECT_EQ(requests(), (Requests{"R105", "R106", "R107", "R108"}));

  valve_.clearRequests();
  ScriptedDialog bad;
  bad.user = [](ScriptedDialog& d) {
    d.type("Frequency", "");
    return d.runs == 1;  // OK fails, then cancel
  };
  TestSignalSetup(port(), bad);
  EXPECT_EQ(bad.failedFields, std::vector<std::string>{"Frequency"});
  EXPECT_EQ(requests().back(), "R108");  // all or nothing
}

TEST_F(RemoteSequences, ManualPwmOpensWithTheValvesStateAndSendsBothCommands) {
  valve_.model().setState(27, 2);  // coil B under manual PWM
  valve_.model().setState(28, 1000u << 16 | 250u);
  ManualPwm pwm(port(), dialog_);
  pwm.Open();
  EXPECT_EQ(requests(), (Requests{"G027", "G028"}));
  EXPECT_EQ(pwm.maximum(), 5000u);
  EXPECT_EQ(dialog_.hints["PWM_A"], " Maksymalna wartość to 5000 ");
  EXPECT_EQ(dialog_.hints["PWM_B"], dialog_.hints["PWM_A"]);
  EXPECT_FALSE(dialog_.isChecked("Enable_PWM_A"));
  EXPECT_TRUE(dialog_.isChecked("Enable_PWM_B"));
  EXPECT_EQ(dialog_.text("PWM_A"), "1000");
  EXPECT_EQ(dialog_.text("PWM_B_Percent"), "5");

  valve_.clearRequests();
  dialog_.type("PWM_A", "1200");
  dialog_.type("PWM_B", "0");
  dialog_.setChecked("Enable_PWM_A", true);
  pwm.Send();
  EXPECT_EQ(requests(), (Requests{"S018=04B00000", "S019=00000003"}));
}

TEST_F(RemoteSequences, ManualPwmKeyReleasesLimitAndConvert) {
  ManualPwm pwm(port(), dialog_);
  pwm.Open();
  struct Case {
    const char* field;
    const char* typed;
    const char* other;     // the field changed besides it
    const char* expected;  // its text afterwards
    const char* typedAfter;
  };
  const Case cases[] = {
      {"PWM_A", "2500", "PWM_A_Percent", "50", "2500"},
      {"PWM_A_Percent", "33", "PWM_A", "1650", "33"},
      {"PWM_B", "6000", "PWM_B_Percent", "100", "5000"},
      {"PWM_B_Percent", "250", "PWM_B", "5000", "100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " " + c.typed);
    dialog_.type(c.field, c.typed);
    pwm.KeyReleased(c.field);
    EXPECT_EQ(dialog_.text(c.other), c.expected);
    EXPECT_EQ(dialog_.text(c.field), c.typedAfter);
  }
  // Any field that is no whole number stops the handling, whichever has the key.
  for (const char* bad : {"---", "", "1,5", "-5", "99999999999"}) {
    SCOPED_TRACE(bad);
    dialog_.type("PWM_B_Percent", bad);
    dialog_.type("PWM_A", "10");
    EXPECT_THROW(pwm.KeyReleased("PWM_A"), link::ConversionError);
    EXPECT_EQ(dialog_.text("PWM_A_Percent"), "33");
    valve_.clearRequests();
    EXPECT_THROW(pwm.Send(), link::ConversionError);
    EXPECT_TRUE(requests().empty());
  }
}

TEST_F(RemoteSequences, ValuesAboveTheMaximumNeverSpillIntoTheOtherHalf) {
  valve_.model().setState(28, 6000u << 16 | 70000u % 65536u);
  ManualPwm pwm(port(), dialog_);
  pwm.Open();
  EXPECT_EQ(dialog_.text("PWM_A"), "6000");
  valve_.clearRequests();
  dialog_.type("PWM_B", "70000");  // pasted
  pwm.Send();
  EXPECT_EQ(requests(), (Requests{"S018=13881388", "S019=00000000"}));
  EXPECT_EQ(dialog_.text("PWM_A"), "5000");
  EXPECT_EQ(dialog_.text("PWM_B"), "5000");
}

TEST_F(RemoteSequences, AFailedMaximumReadOpensTheDialogWithTheFallback) {
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "G027", 1});
  ManualPwm pwm(port(), dialog_);
  EXPECT_NO_THROW(pwm.Open());
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(requests(), Requests{"G027"});  // 28 is not read after it
  EXPECT_EQ(pwm.maximum(), 5000u);
  EXPECT_EQ(dialog_.hints["PWM_A"], PwmMaximumFallbackHint);
  EXPECT_EQ(dialog_.hints["PWM_B"], PwmMaximumFallbackHint);
  EXPECT_EQ(dialog_.text("PWM_A"), "---");
}

class ZeroPwmMaximum : public RemoteSequences {
 protected:
  static sim::ValveConfig Config() {
    sim::ValveConfig c;
    c.pwmMaximum = 0;
    return c;
  }
  ZeroPwmMaximum() : RemoteSequences(Config()) {}
};

TEST_F(ZeroPwmMaximum, PercentShowsAndConvertsToZero) {
  valve_.model().setState(28, 300u << 16);
  ManualPwm pwm(port(), dialog_);
  pwm.Open();
  EXPECT_EQ(pwm.maximum(), 0u);
  EXPECT_EQ(dialog_.text("PWM_A_Percent"), "0");
  dialog_.type("PWM_A_Percent", "40");
  pwm.KeyReleased("PWM_A_Percent");
  EXPECT_EQ(dialog_.text("PWM_A"), "0");
  EXPECT_EQ(dialog_.text("PWM_A_Percent"), "40");
}

TEST_F(RemoteSequences, DacValueIsLimitedAndTheReplyReturned) {
  EXPECT_EQ(SendDacValue(port(), "5000"), 4095u);
  EXPECT_EQ(SendDacValue(port(), "62"), 62u);
  EXPECT_EQ(requests(), (Requests{"S004=00000FFF", "S004=0000003E"}));
  valve_.clearRequests();
  for (const char* bad : {"---", "-1", "4,5", ""})
    EXPECT_THROW(SendDacValue(port(), bad), link::ConversionError) << bad;
  EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace tvx::remote
