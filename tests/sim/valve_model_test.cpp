// The register model: commands and their effects, profiles in EEPROM, texts,
// live values and the trace recorder, all on a manual clock.
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "sim/valve_model.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t YesWord = 0xAAAAAAAAu;
constexpr std::uint32_t NoWord = 0x55555555u;
constexpr std::uint32_t OneShotWord = 0x5555AAAAu;

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }
float asFloat(std::uint32_t w) { return std::bit_cast<float>(w); }

std::uint32_t word(const std::vector<std::uint8_t>& b, std::size_t k) {
  return b[4 * k] | b[4 * k + 1] << 8 | b[4 * k + 2] << 16 | std::uint32_t(b[4 * k + 3]) << 24;
}

struct ModelTest : ::testing::Test {
  sim::ManualClock clock;
  sim::ValveModel model{sim::ValveConfig{}, clock.clock()};
};

struct TempDir {
  fs::path path;
  TempDir() {
    char tmpl[] = "/tmp/tvx-sim-XXXXXX";
    path = ::mkdtemp(tmpl);
  }
  ~TempDir() { fs::remove_all(path); }
};

}  // namespace

TEST_F(ModelTest, FactoryParametersFollowTheConfiguration) {
  EXPECT_EQ(model.parameter(1) & 7u, 7u);  // 3 positions, voltage, LVDT
  EXPECT_EQ(model.parameter(2), 2000u);
  EXPECT_EQ(model.parameter(96), 1u);
  EXPECT_EQ(model.parameter(118), 100u);
  EXPECT_EQ(model.parameter(119), 100u);
  EXPECT_FLOAT_EQ(asFloat(model.parameter(4)), 1.6f);

  sim::ManualClock c;
  sim::ValveConfig cfg;
  cfg.threePositions = false;
  cfg.voltageInput = false;
  cfg.lvdt = false;
  sim::ValveModel two(cfg, c.clock());
  EXPECT_EQ(two.parameter(1) & 7u, 0u);
  EXPECT_EQ(two.deviceType(), "PRV-06 2P I 24V");
}

TEST_F(ModelTest, IdentityRegisters) {
  EXPECT_EQ(model.readState(30), 14031122u);
  EXPECT_EQ(model.readState(39), NoWord);
  EXPECT_EQ(model.readState(42), YesWord);
  EXPECT_EQ(model.readState(29), 0u);
  EXPECT_EQ(model.readState(11), sim::NoStop);
  EXPECT_EQ(model.readState(1), NoWord);
}

TEST_F(ModelTest, SwitchCommandsSetAndClearTheirBit) {
  const std::pair<int, int> switches[] = {{7, 15},  {8, 17},  {10, 19}, {12, 10}, {13, 22}, {14, 23},
                                          {15, 20}, {20, 24}, {21, 16}, {22, 7},  {23, 8},  {24, 9},
                                          {26, 18}, {27, 4},  {28, 11}, {30, 5},  {31, 6},  {110, 31}};
  for (auto [command, bit] : switches) {
    SCOPED_TRACE(command);
    EXPECT_EQ(model.command(command, YesWord), YesWord);
    EXPECT_TRUE(model.parameter(1) >> bit & 1u);
    model.command(command, NoWord);
    EXPECT_FALSE(model.parameter(1) >> bit & 1u);
  }
  // Any word other than the yes marker switches off.
  model.command(7, YesWord);
  model.command(7, 1);
  EXPECT_FALSE(model.parameter(1) >> 15 & 1u);
}

TEST_F(ModelTest, RemoteControlAndSetValue) {
  model.command(1, YesWord);
  EXPECT_EQ(model.readState(1), YesWord);
  EXPECT_TRUE(model.parameter(1) >> 21 & 1u);
  model.command(17, bits(2.5f));
  EXPECT_FLOAT_EQ(asFloat(model.readState(2)), 2.5f);
  model.command(1, NoWord);
  EXPECT_EQ(model.readState(1), NoWord);
  EXPECT_FLOAT_EQ(asFloat(model.readState(2)), 0.0f);  // back on the analogue input
  // Writing the configuration word carries the remote state along.
  model.writeParameter(1, model.parameter(1) | 1u << 21);
  EXPECT_EQ(model.readState(1), YesWord);
}

TEST_F(ModelTest, ManualOutputs) {
  EXPECT_EQ(model.command(4, 5000), 4095u);
  EXPECT_EQ(model.command(4, 1234), 1234u);
  model.command(5, YesWord);
  EXPECT_EQ(model.readState(14), YesWord);
  EXPECT_EQ(model.readState(13), 1234u);
  model.command(5, NoWord);
  EXPECT_NE(model.readState(13), 1234u);

  model.command(18, 1200u << 16 | 300u);
  model.command(19, 3);
  EXPECT_EQ(model.readState(28), 1200u << 16 | 300u);
  EXPECT_EQ(model.readState(27), 5000u << 16 | 3u);

  model.command(6, YesWord);
  EXPECT_TRUE(model.breakpoint());
}

TEST_F(ModelTest, StopCodesClearOnlyWhenSoft) {
  for (std::uint32_t code : {11u, 12u, 21u}) {
    model.setStop(code, 3.5f);
    EXPECT_FLOAT_EQ(asFloat(model.readState(26)), 3.5f);
    EXPECT_EQ(model.command(9, YesWord), YesWord);
    EXPECT_EQ(model.readState(11), sim::NoStop);
  }
  model.setStop(13, 1.0f);
  EXPECT_EQ(model.command(9, YesWord), NoWord);
  EXPECT_EQ(model.readState(11), 13u);
}

TEST_F(ModelTest, ErrorHistoryReaderRestartsOn997) {
  model.setErrorHistory({5, 17, 300});
  EXPECT_EQ(model.readState(6), 5u);
  EXPECT_EQ(model.peekState(6), 17u);  // peeking does not advance
  EXPECT_EQ(model.readState(6), 17u);
  EXPECT_EQ(model.readState(6), 300u);
  EXPECT_EQ(model.readState(6), 0u);
  EXPECT_EQ(model.readState(6), 0u);
  model.command(997, OneShotWord);
  EXPECT_EQ(model.readState(6), 5u);
}

TEST_F(ModelTest, TextWordsLowestByteFirst) {
  // "ABCD" as one word: 'A' in the lowest byte.
  model.command(90, 0x44434241u);
  model.command(91, 0x00000045u);
  for (int k = 2; k < 10; ++k) model.command(90 + k, 0);
  EXPECT_EQ(model.serialNumber(), "ABCDE");
  auto raw = model.readRawState(40);
  ASSERT_TRUE(raw);
  ASSERT_EQ(raw->size(), 40u);
  EXPECT_EQ((*raw)[0], 'A');
  EXPECT_EQ((*raw)[5], 0);

  model.command(109, 0x5A595857u);  // last word of the type: bytes 36..39
  auto type = model.readRawState(41);
  ASSERT_TRUE(type);
  EXPECT_EQ(std::string(type->begin() + 36, type->end()), "WXYZ");
}

TEST_F(ModelTest, BlocksAndTables) {
  model.setParameterFloat(23, 1.5f);
  model.setParameterFloat(44, -2.0f);
  auto t1 = model.readRawState(35);
  ASSERT_TRUE(t1);
  ASSERT_EQ(t1->size(), 88u);
  EXPECT_EQ(word(*t1, 0), bits(1.5f));
  EXPECT_EQ(word(*t1, 21), bits(-2.0f));
  EXPECT_EQ(word(*model.readRawState(37), 0), bits(-100.0f));  // LVDT table starts at -100 %

  auto block = model.readRawState(31);
  ASSERT_TRUE(block);
  ASSERT_EQ(block->size(), 512u);
  EXPECT_EQ(word(*block, 0), model.parameter(1));
  EXPECT_EQ(word(*block, 127), model.parameter(128));
  EXPECT_EQ(model.readRawState(32)->size(), 1024u);
  EXPECT_FALSE(model.readRawState(33));  // framed unless scripted
  model.setRawBlock(33, std::vector<std::uint8_t>(2048, 0x5A));
  EXPECT_EQ(model.readRawState(33)->size(), 2048u);
}

TEST_F(ModelTest, ProfileOperations) {
  // Store the working set into the active profile, then change profiles.
  model.writeParameter(2, 3000);
  EXPECT_EQ(model.command(999, OneShotWord), OneShotWord);
  const sim::Bank b0 = model.userBank(0);
  EXPECT_EQ(word(std::vector<std::uint8_t>(b0.begin(), b0.end()), 1), 3000u);
  EXPECT_EQ(model.command(984, 0xAAAA5503u), 0xAAAA0001u);

  model.command(995, 0xAA55AA02u);
  EXPECT_EQ(model.readState(29), 2u);
  EXPECT_EQ(model.parameter(2), 2000u);  // profile 3 still holds the factory value
  model.command(995, 0xAA55AA00u);
  EXPECT_EQ(model.parameter(2), 3000u);

  model.command(987, 0xAAAA5500u);  // restore profile 1 from its factory copy
  EXPECT_EQ(model.command(984, 0xAAAA5503u), 0xAAAA0000u);

  // Load a profile word by word into bank 1.
  model.command(988, 0xAAAA5555u);
  for (std::uint32_t i = 0; i < 128; ++i) model.command(989, 0x1000u + i);
  model.command(990, 0xAA55AA01u);
  const sim::Bank b1 = model.userBank(1);
  EXPECT_EQ(b1[0], 0x00);
  EXPECT_EQ(b1[1], 0x10);
  EXPECT_EQ(b1[std::size_t{4} * 127], 127);
  EXPECT_EQ(model.command(984, 0xAAAA5503u), 0xAAAA0002u);

  auto read = model.readProfileBank(0xAA551200u);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->size(), 512u);
  EXPECT_TRUE(std::equal(read->begin(), read->end(), b1.begin()));
  EXPECT_EQ(model.readProfileBank(0xAA550010u)->size(), 16u);
  EXPECT_FALSE(model.readProfileBank(0x12341200u));

  model.command(985, 0xAAAA5555u);  // user -> factory
  EXPECT_EQ(model.factoryBank(1), b1);
  model.command(986, 0xAAAA5555u);  // factory -> user
  EXPECT_EQ(model.command(984, 0xAAAA5503u), 0xAAAA0000u);
}

TEST_F(ModelTest, ProfileCommandsIgnoreWrongArguments) {
  const sim::Bank before = model.userBank(0);
  model.writeParameter(2, 3000);
  model.command(999, 0);            // not the one-shot word
  model.command(995, 0xAA55AA07u);  // no such profile
  model.command(990, 0xAA55AA05u);
  EXPECT_EQ(model.userBank(0), before);
  EXPECT_EQ(model.activeProfile(), 0);
}

TEST_F(ModelTest, TypicalValuesAndReset) {
  model.writeParameter(2, 3000);
  model.command(994, OneShotWord);
  EXPECT_EQ(model.parameter(2), 2000u);

  model.writeParameter(2, 4000);
  model.command(1, YesWord);
  model.command(5, YesWord);
  model.command(998, OneShotWord);  // working memory comes back from the active profile
  EXPECT_EQ(model.parameter(2), 2000u);
  EXPECT_EQ(model.readState(1), NoWord);
  EXPECT_EQ(model.readState(14), NoWord);
}

TEST_F(ModelTest, StateScriptingAndOverrides) {
  model.setStateFloat(18, 999.0f);  // a live register: forced
  EXPECT_FLOAT_EQ(asFloat(model.readState(18)), 999.0f);
  model.clearOverride(18);
  EXPECT_LT(asFloat(model.readState(18)), 100.0f);
  model.overrideState(29, 10);
  EXPECT_EQ(model.readState(29), 10u);
  model.setState(3, 4096);
  EXPECT_EQ(model.readState(3), 4096u);
  model.setState(77, 0xDEADBEEFu);
  EXPECT_EQ(model.readState(77), 0xDEADBEEFu);
}

TEST_F(ModelTest, CurrentsAndPositionFollowTheSetValue) {
  model.command(1, YesWord);
  model.command(17, bits(10.0f));  // full scale towards A
  clock.advance(5ms);
  const float early = model.peekStateFloat(19);
  clock.advance(300ms);
  const float settled = model.peekStateFloat(19);
  EXPECT_GT(early, 0.1f);
  EXPECT_LT(early, settled);
  EXPECT_NEAR(settled, 1.6f, 0.01f);
  EXPECT_NEAR(model.peekStateFloat(20), 0.0f, 1e-3f);
  EXPECT_NEAR(model.peekStateFloat(21), 10.0f, 0.05f);
  EXPECT_NEAR(model.peekStateFloat(7), 10.0f, 1e-3f);  // set position with LVDT

  model.command(17, bits(-5.0f));  // half towards B
  clock.advance(1s);
  EXPECT_NEAR(model.peekStateFloat(20), 0.9f, 0.01f);
  EXPECT_NEAR(model.peekStateFloat(21), -5.0f, 0.05f);

  // Peaks hold the maxima until their reset command.
  EXPECT_NEAR(model.readState(3) * 3.3 / 4096, 1.6, 0.01);
  model.command(993, OneShotWord);
  EXPECT_EQ(model.readState(3), 0u);
  EXPECT_GT(model.readState(4), 0u);
  model.command(993, 0xAAAA5555u);
  clock.advance(1ms);
  EXPECT_NEAR(model.readState(4) * 3.3 / 4096, 0.9, 0.01);
}

TEST_F(ModelTest, TestSignalDrivesTheSetValueUnderRemoteControl) {
  model.writeParameter(105, bits(4.0f));               // amplitude
  model.writeParameter(106, bits(2.0f));               // frequency
  model.writeParameter(107, bits(1.0f));               // offset
  model.writeParameter(108, 1);                        // sine
  EXPECT_FLOAT_EQ(asFloat(model.peekState(2)), 0.0f);  // not without remote control
  model.command(1, YesWord);
  clock.advance(125ms);  // a quarter period: the crest
  EXPECT_NEAR(asFloat(model.peekState(2)), 5.0f, 1e-3f);
  model.writeParameter(108, 0);
  EXPECT_FLOAT_EQ(asFloat(model.peekState(2)), 0.0f);
}

TEST(ValveModelConfig, TwoPositionCurrentInputDrivesCoilAOnly) {
  sim::ManualClock clock;
  sim::ValveConfig cfg;
  cfg.threePositions = false;
  cfg.voltageInput = false;
  cfg.lvdt = false;
  sim::ValveModel model(cfg, clock.clock());
  EXPECT_FLOAT_EQ(asFloat(model.peekState(2)), 4.0f);  // the analogue input at its bottom
  model.command(1, YesWord);
  model.command(17, bits(20.0f));
  clock.advance(1s);
  EXPECT_NEAR(model.peekStateFloat(19), 1.6f, 0.01f);
  EXPECT_NEAR(model.peekStateFloat(8), 0.0f, 1e-6f);  // set current B
  EXPECT_NEAR(model.peekStateFloat(7), 1.6f, 1e-3f);  // set current A, no LVDT
  EXPECT_FLOAT_EQ(model.peekStateFloat(21), 0.0f);    // no sensor, no signal
}

TEST_F(ModelTest, StopDropsTheCurrents) {
  model.command(1, YesWord);
  model.command(17, bits(10.0f));
  clock.advance(300ms);
  model.setStop(20, 1000.5f);
  clock.advance(300ms);
  EXPECT_NEAR(model.peekStateFloat(19), 0.0f, 1e-3f);
}

TEST_F(ModelTest, LvdtCalibrationDrivesOneCoil) {
  std::vector<float> seen;
  model.setCalibrationListener([&](float value) { seen.push_back(value); });
  EXPECT_FALSE(model.inCalibration());
  model.command(29, bits(3002.0f));  // coil B at 2 A (limited by I MAX 2.5)
  EXPECT_TRUE(model.inCalibration());
  EXPECT_FLOAT_EQ(model.calibration(), 3002.0f);
  clock.advance(500ms);
  EXPECT_NEAR(model.peekStateFloat(20), 2.0f, 0.01f);
  EXPECT_NEAR(model.peekStateFloat(19), 0.0f, 1e-3f);
  model.command(29, bits(1.5f));  // calibration off
  EXPECT_FALSE(model.inCalibration());
  clock.advance(500ms);
  EXPECT_NEAR(model.peekStateFloat(20), 0.0f, 1e-3f);
  // Values beyond the coil B mode are no calibration mode at all.
  model.command(29, bits(4500.0f));
  EXPECT_FALSE(model.inCalibration());
  EXPECT_EQ(seen, (std::vector<float>{3002.0f, 0.0f}));
  EXPECT_EQ(sim::describeCalibration(2001.5f), "LVDT calibration, coil A at 1.500 A");
  EXPECT_EQ(sim::describeCalibration(1000.0f), "LVDT calibration, no current in the coils");
}

TEST_F(ModelTest, LvdtReadingAppliesZeroAndGainCorrections) {
  model.command(29, bits(2001.6f));  // coil A at its maximum: the spool at +10 V
  clock.advance(1s);
  const float raw = model.peekStateFloat(21);
  EXPECT_NEAR(raw, 10.0f, 0.05f);
  model.writeParameter(100, bits(-0.5f));
  model.writeParameter(110, bits(0.5f));
  EXPECT_NEAR(model.peekStateFloat(21), raw * 0.5f - 0.5f, 0.01f);
  EXPECT_NEAR(model.peekStateFloat(34), model.peekStateFloat(21), 0.01f);
}

TEST_F(ModelTest, RampsLimitHowFastTheCoilCurrentsFollow) {
  model.command(1, YesWord);
  model.writeParameter(70, bits(1.0f));  // A rises to its 1.6 A maximum in 1 s
  model.writeParameter(71, bits(0.5f));
  model.command(12, YesWord);
  model.command(17, bits(10.0f));
  clock.advance(500ms);
  EXPECT_NEAR(model.peekStateFloat(19), 0.8f, 0.05f);  // half way up
  clock.advance(700ms);
  EXPECT_NEAR(model.peekStateFloat(19), 1.6f, 0.01f);
  model.command(17, bits(0.0f));
  clock.advance(250ms);
  EXPECT_NEAR(model.peekStateFloat(19), 0.8f, 0.05f);  // half way down in half the fall time
  // Switched off, the current follows at once again.
  model.command(12, NoWord);
  model.command(17, bits(10.0f));
  clock.advance(100ms);
  EXPECT_NEAR(model.peekStateFloat(19), 1.6f, 0.01f);
}

TEST(ValveModelConfig, PwmMaximumIsPartOfTheConfiguration) {
  sim::ManualClock clock;
  sim::ValveConfig cfg;
  cfg.pwmMaximum = 4000;
  sim::ValveModel model(cfg, clock.clock());
  EXPECT_EQ(model.readState(27) >> 16, 4000u);
  model.command(18, 4500u << 16 | 4500u);  // both halves beyond it
  EXPECT_EQ(model.readState(28), 4000u << 16 | 4000u);
  cfg.pwmMaximum = 0;  // a valve reporting no maximum does not break the model
  sim::ValveModel zero(cfg, clock.clock());
  zero.command(18, 100u << 16);
  zero.command(19, 1);
  clock.advance(100ms);
  EXPECT_EQ(zero.readState(27), 1u);
  EXPECT_TRUE(std::isfinite(zero.peekStateFloat(19)));
}

TEST_F(ModelTest, SupplyTemperatureAndTheirMaxima) {
  const float u = model.peekStateFloat(15);
  EXPECT_GT(u, 23.0f);
  EXPECT_LT(u, 25.0f);
  EXPECT_LT(model.peekStateFloat(16), u);
  clock.advance(1500ms);
  EXPECT_NE(model.peekStateFloat(15), u);  // ripple
  EXPECT_GE(model.peekStateFloat(22), model.peekStateFloat(15) - 1e-4f);
  model.command(996, OneShotWord);
  EXPECT_LT(model.peekStateFloat(22), 1.0f);

  const float t0 = model.peekStateFloat(18);
  clock.advance(600s);
  EXPECT_GT(model.peekStateFloat(18), t0 + 2.0f);      // slow drift upwards after power-on
  EXPECT_FLOAT_EQ(model.peekStateFloat(43), -100.0f);  // never above the warning limit
  model.setParameter(115, 20);
  EXPECT_GT(model.peekStateFloat(43), 20.0f);
  model.command(992, OneShotWord);
  model.setParameter(115, 65);
  EXPECT_FLOAT_EQ(model.peekStateFloat(43), -100.0f);
}

TEST_F(ModelTest, TraceRecorderFillsInRealTime) {
  // 2000 Hz and divider 1: one sample every 0.5 ms, 250 ms for the recording.
  model.command(1, YesWord);
  model.command(3, bits(5.0f));  // set value and restart
  EXPECT_EQ(model.samplePeriod(), 500us);
  EXPECT_EQ(model.recordedSamples(), 1u);
  clock.advance(2ms);
  EXPECT_EQ(model.recordedSamples(), 5u);

  model.command(11, 0);
  auto chunk = model.readRawState(10);
  ASSERT_TRUE(chunk);
  ASSERT_EQ(chunk->size(), 60u);
  const auto a0 = static_cast<std::uint16_t>((*chunk)[0] | (*chunk)[1] << 8);
  const auto a4 = static_cast<std::uint16_t>((*chunk)[48] | (*chunk)[49] << 8);
  EXPECT_LT(a0, a4);                                // the current rises towards its target
  EXPECT_FLOAT_EQ(asFloat(word(*chunk, 2)), 5.0f);  // set value normalised to +-10 V
  // Not recorded yet: end markers.
  chunk = model.readRawState(10);
  EXPECT_EQ((*chunk)[0], 0xFF);
  EXPECT_EQ((*chunk)[1], 0xFF);

  clock.advance(1s);
  EXPECT_EQ(model.recordedSamples(), 500u);
  model.command(11, 0);
  std::size_t samples = 0;
  for (int block = 0; block < 101; ++block) {
    chunk = model.readRawState(10);
    for (std::size_t i = 0; i < 5; ++i) {
      const auto a = static_cast<std::uint16_t>((*chunk)[12 * i] | (*chunk)[12 * i + 1] << 8);
      if (a != 0xFFFF) ++samples;
    }
  }
  EXPECT_EQ(samples, 500u);
  // Settled at 0.2 + 1.4 * 0.5 = 0.9 A.
  model.command(11, 0);
  for (int block = 0; block < 99; ++block) model.readRawState(10);
  chunk = model.readRawState(10);
  const auto last = static_cast<std::uint16_t>((*chunk)[48] | (*chunk)[49] << 8);
  EXPECT_NEAR(last * 3.3 / 4096, 0.9, 0.01);
}

TEST_F(ModelTest, TraceRecorderPeriodAndMonitorSource) {
  model.writeParameter(96, 10);
  model.writeParameter(2, 1000);
  model.command(22, YesWord);  // report the monitor source instead of the LVDT
  model.writeParameter(120, 1);
  model.command(5, YesWord);
  model.command(4, 3000);
  model.command(2, 0);
  EXPECT_EQ(model.samplePeriod(), 10ms);
  clock.advance(95ms);
  EXPECT_EQ(model.recordedSamples(), 10u);
  model.command(11, 0);
  auto chunk = model.readRawState(10);
  EXPECT_EQ(word(*chunk, 1) & 0xFFFFu, 3000u);  // DAC state in the low half
  EXPECT_LE(word(*chunk, 1) >> 16, 3u);         // PID mode in the high half
  // Command 17 keeps the recording, command 3 restarts it.
  model.command(17, 0);
  EXPECT_EQ(model.recordedSamples(), 10u);
  model.command(3, 0);
  EXPECT_EQ(model.recordedSamples(), 1u);
}

TEST(ValveModelState, EepromSurvivesARestart) {
  TempDir dir;
  sim::ValveConfig cfg;
  cfg.stateFile = (dir.path / "valve.state").string();
  sim::ManualClock clock;
  {
    sim::ValveModel m(cfg, clock.clock());
    m.writeParameter(2, 2500);
    m.command(999, OneShotWord);
    m.command(95, 0x34333231u);  // serial number bytes 20..23
    m.command(995, 0xAA55AA01u);
  }
  EXPECT_FALSE(fs::exists(cfg.stateFile + ".tmp"));
  sim::ValveModel again(cfg, clock.clock());
  EXPECT_EQ(again.activeProfile(), 1);
  EXPECT_EQ(again.userBank(0)[4], 0xC4);  // 2500 = 0x9C4
  EXPECT_EQ(again.userBank(0)[5], 0x09);
  EXPECT_EQ(again.serialNumber().substr(20, 4), "1234");
}

TEST(ValveModelState, MissingOrCorruptFileFallsBackToFactoryDefaults) {
  TempDir dir;
  sim::ValveConfig cfg;
  cfg.stateFile = (dir.path / "none" / "valve.state").string();
  sim::ManualClock clock;
  sim::ValveModel fresh(cfg, clock.clock());  // missing folder: defaults, no crash
  EXPECT_EQ(fresh.parameter(2), 2000u);
  EXPECT_FALSE(fresh.saveState());  // cannot write there, reported not thrown

  cfg.stateFile = (dir.path / "valve.state").string();
  {
    sim::ValveModel m(cfg, clock.clock());
    m.writeParameter(2, 2500);
    m.command(999, OneShotWord);
  }
  // Flip one data character: the checksum no longer matches.
  std::string text;
  {
    std::ifstream in(cfg.stateFile);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  const auto pos = text.find("user0 ") + 10;
  text[pos] = text[pos] == '0' ? '1' : '0';
  std::ofstream(cfg.stateFile) << text;
  sim::ValveModel damaged(cfg, clock.clock());
  EXPECT_EQ(damaged.parameter(2), 2000u);
  EXPECT_TRUE(fs::exists(cfg.stateFile + ".corrupt"));  // kept aside, not overwritten

  std::ofstream(cfg.stateFile) << "garbage\n";
  sim::ValveModel garbage(cfg, clock.clock());
  EXPECT_EQ(garbage.parameter(2), 2000u);
  std::ofstream(cfg.stateFile, std::ios::trunc).close();
  sim::ValveModel empty(cfg, clock.clock());
  EXPECT_EQ(empty.activeProfile(), 0);
}
