// The register table, the configuration word and its items.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "params/config_word.h"
#include "params/plausible_words.h"
#include "params/register_map.h"
#ifndef _WIN32
#include "sim/valve_model.h"  // a Windows build has no simulator of its own
#endif

namespace tvx::params {
namespace {

TEST(ParamsRegisterMap, ReadAndSendOrders) {
  for (const auto& r : ParameterSet)
    EXPECT_TRUE(r.encoding != Encoding::Float || r.decimals == 3 || r.decimals == 6) << r.number;
  EXPECT_EQ(ReadOrder.size(), 34u);
  EXPECT_EQ(SendOrder.size(), 30u);
  // The send writes in register order, 2 first and 121 last, without the held PID constants.
  EXPECT_TRUE(std::is_sorted(SendOrder.begin(), SendOrder.end()));
  EXPECT_EQ(SendOrder.front(), 2);
  EXPECT_EQ(SendOrder.back(), 121);
  for (int held : {103, 104, 111, 112}) {
    EXPECT_EQ(std::count(SendOrder.begin(), SendOrder.end(), held), 0) << held;
    EXPECT_EQ(std::count(ReadOrder.begin(), ReadOrder.end(), held), 1) << held;
  }
}

TEST(ParamsRegisterMap, LookupsAndDecimals) {
  ASSERT_NE(FindParameterByField("IN1_4_20_Offset"), nullptr);
  EXPECT_EQ(FindParameterByField("IN1_4_20_Offset")->decimals, 6);
  EXPECT_EQ(FindParameterByField("Coil_A_Imin")->decimals, 3);
  EXPECT_EQ(FindParameter(reg::DigiPot_Value)->encoding, Encoding::UnsignedInt);
  EXPECT_EQ(FindParameter(reg::Dither_Freq)->holder, Holder::OptionsDialog);
  EXPECT_EQ(FindParameter(reg::ErrorMask)->holder, Holder::Held);
  EXPECT_EQ(FindParameter(7), nullptr);
  EXPECT_EQ(FindParameterByField(""), nullptr);
  for (int six : {97, 98, 99, 100, 110}) EXPECT_EQ(FindParameter(six)->decimals, 6) << six;
}

TEST(ParamsRegisterMap, OptionBoxesMatchTheirConfigurationBits) {
  std::set<int> bits, commands;
  for (const auto& box : OptionBoxes) {
    bits.insert(box.bit);
    commands.insert(box.command);
    const auto it =
        std::find_if(ConfigBits.begin(), ConfigBits.end(), [&](const ConfigBit& b) { return b.bit == box.bit; });
    ASSERT_NE(it, ConfigBits.end()) << box.name;
    EXPECT_EQ(it->name, box.name);
    EXPECT_EQ(it->holder, BitHolder::OptionsCheckBox);
  }
  EXPECT_EQ(bits.size(), 15u);
  EXPECT_EQ(commands.size(), 15u);
  EXPECT_EQ(FindOptionBox("Dither_Mode")->command, 27);
  EXPECT_NE(Q51SequenceHint(true).find("Q5 i"), std::string_view::npos);
  EXPECT_NE(Q51SequenceHint(false).find("Q1 i"), std::string_view::npos);
}

TEST(ParamsConfigWord, ServiceModeAloneClearsEverythingElse) {
  const ConfigWord c = ConfigWord::Decode(0x80000000u);
  EXPECT_TRUE(c.serviceMode);
  ConfigWord expected;
  expected.serviceMode = true;
  EXPECT_EQ(c, expected);
  EXPECT_EQ(c.Build(), 0x80000000u);
}

TEST(ParamsConfigWord, RemoteControlIsSentButNeverRead) {
  EXPECT_EQ(ConfigWord::Decode(BitMask(cfg::RemoteControl)), ConfigWord{});
  ConfigWord c;
  c.remoteControl = true;
  EXPECT_EQ(c.Build(), 0x00200000u);
  // Unused bits 25..30 are ignored as well.
  EXPECT_EQ(ConfigWord::Decode(0x7E000000u), ConfigWord{});
  EXPECT_EQ(ConfigWord::Decode(0xFFFFFFFFu).Build(), 0xFFFFFFFFu & ~0x7E200000u);
}

TEST(ParamsConfigWord, EveryNamedBitRoundTrips) {
  for (const auto& b : ConfigBits) {
    ConfigWord c;
    ASSERT_TRUE(c.SetByName(b.name, true)) << b.name;
    EXPECT_EQ(c.Build(), BitMask(b.bit)) << b.name;
    bool value = false;
    ASSERT_TRUE(c.GetByName(b.name, value));
    EXPECT_TRUE(value);
    if (b.bit != cfg::RemoteControl) {
      EXPECT_EQ(ConfigWord::Decode(BitMask(b.bit)), c) << b.name;
    }
  }
  ConfigWord c;
  EXPECT_FALSE(c.SetByName("NoSuchOption", true));
  EXPECT_EQ(c, ConfigWord{});
}

}  // namespace
}  // namespace tvx::params

namespace tvx::params {
namespace {

TEST(PlausibleWords, RefuseWhatNoValveHoldsAndTakeEverythingAValveDoes) {
#ifndef _WIN32
  // Every word of the simulated valve's settings, for every configuration.
  for (const bool three : {false, true})
    for (const bool voltage : {false, true})
      for (const bool lvdt : {false, true}) {
        sim::ValveConfig config;
        config.threePositions = three;
        config.voltageInput = voltage;
        config.lvdt = lvdt;
        const auto words = sim::ValveModel::factoryParameters(config);
        for (int reg = 1; reg <= 128; ++reg)
          EXPECT_TRUE(PlausibleParameterWord(reg, words[static_cast<std::size_t>(reg)])) << reg;
      }
#endif
  struct Case {
    int reg;
    std::uint32_t word;
    bool plausible;
  } cases[] = {
      {reg::Configuration, 0x80000000u, true},   // service mode alone
      {reg::Configuration, 0x02000000u, false},  // bit 25 is not used
      {reg::DigiPot_Value, 300, true},           // shown as read, above the hint's 255
      {reg::TemperatureWarning, 200, true},      // shown as 125
      {reg::TemperatureStop, 0xFFFFFFFFu, true}, {reg::I_Limit, 0x74102A8Eu, false},  // 4.6E31 A
      {reg::Coil_A_Imax, 0x7FC00000u, false},                                         // NaN
      {reg::Coil_A_Imax, 0x7F800000u, false},                                         // infinity
      {reg::Coil_A_Imax, 0x3FC00000u, true},                                          // 1.5 A
      {reg::ErrorMask, 0x003FFFFFu, true},       {reg::ErrorMask, 1982476920u, false},  {reg::TraceInterval, 100, true},
      {reg::TraceInterval, 1830892123u, false},  {reg::ChannelMask, 0xFFFFFFFFu, true},
  };
  for (const Case& c : cases) EXPECT_EQ(PlausibleParameterWord(c.reg, c.word), c.plausible) << c.reg << " " << c.word;
}

}  // namespace
}  // namespace tvx::params
