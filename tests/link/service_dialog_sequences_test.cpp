// The service dialogs' sequences against the simulated valve: ramps, the two
// PID extensions and the service values, asserted on the valve's request log.
#include "link/comm_error.h"
#include "params/conversions.h"
#include "params/held_parameters.h"
#include "service/ramp_setup.h"
#include "service/service_values.h"
#include "service/xpid_setup.h"
#include "support/scripted_dialog.h"
#include "support/valve_link_test.h"

#include <functional>

namespace tvx::service {
namespace {

using params::FloatToWord;
using testing::ScriptedDialog;
using Requests = std::vector<std::string>;

constexpr std::uint32_t RampBit = 1u << 10;
constexpr std::uint32_t RampOnlyBit = 1u << 20;

class ServiceDialogSequences : public testing::ValveLinkTest {
 protected:
  params::HeldParameters held_;
  ScriptedDialog dialog_;
};

// Words that a read and an unchanged field must give back bit for bit, though
// their texts do not convert back to them ("1,235" for 1.23456, "NAN").
constexpr std::uint32_t Precise = 0x3F9E0610u;  // 1.23456
constexpr std::uint32_t Hidden = 0x3DCCCCCEu;   // shown as 0,100, which converts to 3DCCCCCD

TEST_F(ServiceDialogSequences, RampsWriteUnchangedTimesBackAndSwitchTheRamp) {
  valve_.model().setParameter(70, Precise);
  valve_.model().setParameter(72, Hidden);  // hidden on a two-position valve: never typed into
  dialog_.user = [](ScriptedDialog& d) {
    d.type("Ramp_A_Fall", "1.5");
    d.setChecked(RampEnableBox, true);
    return true;
  };
  RampSetup(port(), dialog_, held_, true);
  EXPECT_EQ(requests(), (Requests{"R070", "R071", "R072", "R073", "W070=3F9E0610", "W071=3FC00000", "W072=3DCCCCCE",
                                  "W073=3ECCCCCD", "S012=AAAAAAAA"}));
  EXPECT_EQ(dialog_.text("Ramp_A_Rise"), "1,235");
  EXPECT_TRUE(held_.rampEnable);
  EXPECT_TRUE(valve_.model().parameter(1) & RampBit);
}

// Without a parameter read since the port opened, the held flags are not the
// valve's: the flag comes from register 1, so OK never switches off a ramp
// (or the near-zero ramp-only mode) that nobody touched.
TEST_F(ServiceDialogSequences, FlagsComeFromRegisterOneWhenTheSetWasNotRead) {
  struct Case {
    const char* name;
    std::function<void(link::Port&, view::DialogView&, params::HeldParameters&, bool)> setup;
    std::uint32_t bit;
    bool params::HeldParameters::*flag;
    std::string_view box;
    const char* command;
  };
  const Case cases[] = {
      {"ramp", RampSetup, RampBit, &params::HeldParameters::rampEnable, RampEnableBox, "S012=AAAAAAAA"},
      {"near zero", NearZeroPidSetup, RampOnlyBit, &params::HeldParameters::xpidRampOnly, RampOnlyBox, "S015=AAAAAAAA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    valve_.model().setParameter(1, valve_.model().parameter(1) | c.bit);
    params::HeldParameters held;  // unset: no read since connecting
    ScriptedDialog dialog;
    valve_.clearRequests();
    c.setup(port(), dialog, held, false);
    const Requests r = requests();
    ASSERT_EQ(r.size(), 10u);
    EXPECT_EQ(r[4], "R001");
    EXPECT_TRUE(dialog.isChecked(c.box));
    EXPECT_EQ(r.back(), c.command);
    EXPECT_TRUE(held.*c.flag);
  }
}

TEST_F(ServiceDialogSequences, PidSetsReadAndWriteTheirRegistersAndKeepTheConstants) {
  dialog_.user = [](ScriptedDialog& d) {
    d.type("XPID_Kp", "2,5");
    d.setChecked(RampOnlyBox, true);
    return true;
  };
  LargeErrorPidSetup(port(), dialog_, held_);
  EXPECT_EQ(requests(), (Requests{"R111", "R112", "R113", "R114", "W111=40200000", "W112=3F99999A", "W113=3F99999A",
                                  "W114=40000000"}));
  EXPECT_EQ(held_.largeErrorKp, FloatToWord(2.5f));
  EXPECT_EQ(held_.largeErrorKi, FloatToWord(1.2f));
  EXPECT_EQ(dialog_.text("XPID_Limit_B"), "2,000");

  valve_.clearRequests();
  ScriptedDialog nearZero;
  nearZero.user = dialog_.user;
  NearZeroPidSetup(port(), nearZero, held_, true);
  EXPECT_EQ(requests(), (Requests{"R101", "R102", "R103", "R104", "W101=3E99999A", "W102=3E99999A", "W103=40200000",
                                  "W104=3ECCCCCD", "S015=AAAAAAAA"}));
  EXPECT_EQ(nearZero.text("XPID_Limit_A"), "0,300");
  EXPECT_EQ(held_.nearZeroKp, FloatToWord(2.5f));
  EXPECT_EQ(held_.nearZeroKi, FloatToWord(0.4f));
  EXPECT_TRUE(held_.xpidRampOnly);
}

TEST_F(ServiceDialogSequences, CancelWritesNothingAndABadFieldStopsTheWrites) {
  held_.rampEnable = true;
  held_.xpidRampOnly = true;
  const std::function<void(view::DialogView&)> setups[] = {
      [this](view::DialogView& d) { RampSetup(port(), d, held_, true); },
      [this](view::DialogView& d) { NearZeroPidSetup(port(), d, held_, true); },
      [this](view::DialogView& d) { LargeErrorPidSetup(port(), d, held_); },
  };
  for (const auto& setup : setups) {
    ScriptedDialog cancelled;
    cancelled.user = [](ScriptedDialog& d) {
      for (auto& [name, on] : d.checks) on = !on;
      return false;
    };
    valve_.clearRequests();
    setup(cancelled);
    EXPECT_EQ(cancelled.runs, 1);
    for (const std::string& r : requests()) EXPECT_EQ(r[0], 'R') << r;
    EXPECT_TRUE(held_.rampEnable && held_.xpidRampOnly);
  }
  // A field that does not convert keeps the dialog open and sends nothing;
  // cancelled then, the flag and its switch command stay untouched. Corrected,
  // the whole set goes out.
  for (const bool corrected : {false, true}) {
    SCOPED_TRACE(corrected);
    valve_.clearRequests();
    ScriptedDialog bad;
    bad.user = [corrected](ScriptedDialog& d) {
      if (d.runs == 1) {
        d.type("Ramp_B_Rise", "x");
        d.setChecked(RampEnableBox, false);
        return true;
      }
      d.type("Ramp_B_Rise", "2");
      return corrected;
    };
    RampSetup(port(), bad, held_, true);
    EXPECT_EQ(bad.runs, 2);
    EXPECT_EQ(bad.failedFields, std::vector<std::string>{"Ramp_B_Rise"});
    EXPECT_EQ(bad.checkErrors, std::vector<std::string>{"'x' is not a valid floating point value"});
    Requests expected{"R070", "R071", "R072", "R073"};
    if (corrected)
      expected.insert(expected.end(),
                      {"W070=3F4CCCCD", "W071=3ECCCCCD", "W072=40000000", "W073=3ECCCCCD", "S012=55555555"});
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(held_.rampEnable, !corrected);
  }
}

TEST_F(ServiceDialogSequences, ServiceValuesWriteOneRegisterEach) {
  struct Case {
    const char* button;
    const char* text;
    std::optional<std::uint32_t> kept;
    const char* request;  // nullptr: a conversion error, nothing sent
  };
  const Case cases[] = {
      {"Send_IN1_Offset", "-5", {}, "W097=C0A00000"},
      {"Send_DigiPot", "300", {}, "W021=0000012C"},
      {"Send_DAC_Gain", "1.5", {}, "W098=3FC00000"},
      {"Send_ADC_Gain", "2", {}, "W099=40000000"},
      {"Send_LVDT_Offset", "-0,25", {}, "W100=BE800000"},
      {"Send_LVDT_Gain", "1,235", Precise, "W110=3F9E0610"},
      {"Send_DigiPot", "---", {}, nullptr},
      {"Send_DigiPot", "-5", {}, nullptr},
      {"Send_DAC_Gain", "", {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.button) + " " + c.text);
    valve_.clearRequests();
    const ServiceValue* value = ServiceValueOfButton(c.button);
    ASSERT_NE(value, nullptr);
    const view::FieldValue field{c.text, c.kept};
    if (c.request) {
      SendServiceValue(port(), *value, field);
      EXPECT_EQ(requests(), Requests{c.request});
    } else {
      EXPECT_THROW(SendServiceValue(port(), *value, field), link::ConversionError);
      EXPECT_TRUE(requests().empty());
    }
  }
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
}  // namespace tvx::service
