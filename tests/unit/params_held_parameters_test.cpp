// The held part of the parameter set: which registers it keeps and the flags it
// exchanges with the configuration word.
#include "params/held_parameters.h"
#include "params/register_map.h"

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

}  // namespace
}  // namespace tvx::params
