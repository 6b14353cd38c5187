// State registers set from the command line (valve-sim --hold REG=VALUE).
#include "sim/valve_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

namespace {

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

TEST(StateHold, FloatsWordsAndHex) {
  using Hold = std::pair<int, std::uint32_t>;
  EXPECT_EQ(sim::parseStateHold("18=85.5"), Hold(18, Bits(85.5f)));
  EXPECT_EQ(sim::parseStateHold("43=-100.0"), Hold(43, Bits(-100.0f)));
  EXPECT_EQ(sim::parseStateHold("3=4096"), Hold(3, 4096u));
  EXPECT_EQ(sim::parseStateHold("11=0xFFFFFFFF"), Hold(11, 0xFFFFFFFFu));
  EXPECT_EQ(sim::parseStateHold("15=0x7fc00000"), Hold(15, 0x7FC00000u));
  const auto nan = sim::parseStateHold("15=nan");
  ASSERT_TRUE(nan);
  EXPECT_TRUE(std::isnan(std::bit_cast<float>(nan->second)));
}

TEST(StateHold, MalformedTextsAreRefused) {
  for (const char* text : {"", "18", "=5", "18=", "x=5", "1000=5", "0=5", "18=abc", "18=5.5V", "3=-1", "3=4294967296",
                           "3=0x", "3=0x1G", "-3=5"})
    EXPECT_FALSE(sim::parseStateHold(text)) << text;
}

TEST(StateHold, SetRegisterAnswersAndStoredOnesStillReset) {
  sim::ValveModel model;
  auto set = [&](const char* text) {
    const auto hold = sim::parseStateHold(text);
    ASSERT_TRUE(hold) << text;
    model.setState(hold->first, hold->second);
  };
  set("18=85.5");
  set("43=88.0");
  EXPECT_EQ(model.readState(18), Bits(85.5f));
  EXPECT_EQ(model.readState(43), Bits(88.0f));
  // The recorded maximum is the valve's memory: command 992 clears it.
  model.command(992, 0x5555AAAAu);
  EXPECT_EQ(model.readState(43), Bits(-100.0f));
}

}  // namespace
