// The held part of the parameter set: which registers it keeps and the flags it
// exchanges with the configuration word; the recorded view's typed results.
#include "params/held_parameters.h"
#include "params/recorded_view.h"
#include "params/register_map.h"
#include "params/valve_state.h"

#include <gtest/gtest.h>

namespace tvx::params {
namespace {

TEST(HeldParameters, KeepsExactlyTheRegistersWithoutAField) {
  HeldParameters held;
  for (const ParameterRegister& row : ParameterSet) {
    const bool isHeld = row.holder == Holder::Held;
    EXPECT_EQ(held.WordOf(row.number) != nullptr, isHeld) << row.number;
  }
  EXPECT_EQ(held.WordOf(1), nullptr);
  EXPECT_EQ(held.WordOf(109), nullptr);
  *held.WordOf(reg::ErrorMask) = 7;
  *held.WordOf(reg::LargeErrorKi) = 9;
  EXPECT_EQ(held.errorMask, 7u);
  EXPECT_EQ(held.largeErrorKi, 9u);
}

TEST(HeldParameters, FlagsRoundTripThroughTheConfigurationWord) {
  const std::uint32_t flags = BitMask(cfg::RampEnable) | BitMask(cfg::UseTable_B) | BitMask(cfg::XPID_Ramp_Only);
  HeldParameters held;
  held.TakeFlags(ConfigWord::Decode(flags | BitMask(cfg::Positions_3) | BitMask(cfg::MedianFilter)));
  EXPECT_TRUE(held.rampEnable);
  EXPECT_FALSE(held.useTableA);
  EXPECT_TRUE(held.useTableB);
  EXPECT_FALSE(held.useTableLvdt);
  EXPECT_TRUE(held.xpidRampOnly);

  ConfigWord out;  // the send starts from nothing
  held.PutFlags(out);
  EXPECT_EQ(out.Build(), flags);
}

// The command line tool and the report read modes, identity and profile from
// the recorded view's typed fields; what a read showed goes back unchanged.
TEST(RecordedView, KeepsWhatTheWindowShowsTypedAndSendsTheConfigurationBack) {
  const std::uint32_t word = BitMask(cfg::Positions_3) | BitMask(cfg::LVDT_Mode) | BitMask(cfg::LVDT_CrossWire) |
                             BitMask(cfg::Report_DAC) | BitMask(cfg::Q51_PWM_Sequence) | BitMask(cfg::RampEnable) |
                             BitMask(cfg::ServiceMode);
  RecordedView view;
  ValveState valve;
  ShowConfigurationWord(view, valve, word);
  view.setChecked("RemoteControl", true);  // from its state register, not from the word
  view.showSerialNumber("SN 0042");
  view.showProfile(ProfileFromRegister(1));

  const ConfigWord& c = view.configuration;
  EXPECT_TRUE(c.positions3 && c.lvdtMode && c.lvdtCrossWire && c.reportDac && c.q51PwmSequence && c.remoteControl &&
              c.serviceMode);
  EXPECT_FALSE(c.voltageMode || c.medianFilter);
  EXPECT_TRUE(view.isChecked("Positions_3"));  // the sequences ask by name
  EXPECT_EQ(view.identity.serialNumber, "SN 0042");
  EXPECT_EQ(view.profile.number, 2);
  EXPECT_EQ(view.text("SelectSetup"), view.profile.caption);
  EXPECT_EQ(ConfigurationWordOf(view, valve.Held), word | BitMask(cfg::RemoteControl));
}

}  // namespace
}  // namespace tvx::params
