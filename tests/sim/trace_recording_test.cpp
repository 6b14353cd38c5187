// The simulator's scripted trace recordings (served chunk by chunk, loaded from
// the tool's CSV files) and faults on the k-th matching request.
#include <bit>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/frame_server.h"
#include "sim/recording_csv.h"
#include "sim/valve_model.h"

namespace {

std::uint16_t coilA(const std::vector<std::uint8_t>& chunk, std::size_t i) {
  return static_cast<std::uint16_t>(chunk[12 * i] | chunk[12 * i + 1] << 8);
}

TEST(ScriptedRecording, ServedFromTheReadPointerWhichReadOutsAndRestartsReset) {
  sim::ValveModel model;
  std::vector<sim::TraceRecord> script;
  script.reserve(7);
  for (int n = 0; n < 7; ++n) script.push_back(sim::makeTraceRecord(static_cast<std::uint16_t>(n), 0, 0, 0));
  model.setTraceRecording(script);
  auto chunk = *model.readRawState(10);
  ASSERT_EQ(chunk.size(), 60u);
  EXPECT_EQ(coilA(chunk, 4), 4);
  chunk = *model.readRawState(10);
  EXPECT_EQ(coilA(chunk, 1), 6);
  EXPECT_EQ(coilA(chunk, 2), sim::TraceEnd);  // beyond the script: end markers
  for (int command : {11, 2}) {
    model.command(command, 0);
    EXPECT_EQ(coilA(*model.readRawState(10), 0), 0) << command;
  }
}

TEST(ScriptedRecording, CsvInBothFormsAndItsFaults) {
  std::string error;
  auto lvdt = sim::parseRecordingCsv(
      "t [ms],Ia [A],Ib [A],Lv [V],Uz [V]\r\n0.0000,0.805664,0.000000,-2.5,nan\r\n0.5000,3.3,1,0,5\r\n", error);
  ASSERT_TRUE(lvdt) << error;
  ASSERT_EQ(lvdt->size(), 2u);
  EXPECT_EQ((*lvdt)[0], sim::makeTraceRecord(1000, 0, std::bit_cast<std::uint32_t>(-2.5f),
                                             std::bit_cast<std::uint32_t>(std::numeric_limits<float>::quiet_NaN())));
  EXPECT_EQ((*lvdt)[1][0] | (*lvdt)[1][1] << 8, 4096);

  auto dac = sim::parseRecordingCsv("t [ms],Ia [A],Ib [A],DAC,Uz [V],PID Mode\n0,0,0,4095,1.5,2\n", error);
  ASSERT_TRUE(dac) << error;
  EXPECT_EQ((*dac)[0], sim::makeTraceRecord(0, 0, 0x00020FFFu, std::bit_cast<std::uint32_t>(1.5f)));

  std::string tooLong = "t,a,b,l,u\n";
  for (int n = 0; n < 501; ++n) tooLong += "0,0,0,0,0\n";
  for (const std::string& bad :
       {std::string("t,a,b\n0,1,2\n"), std::string("0,x,0,0,0\n"), std::string("0,0,0,0,0,70000\n"),
        std::string("0,0,0,1e300,0\n"), std::string("header only\n"), tooLong}) {
    EXPECT_FALSE(sim::parseRecordingCsv(bad, error)) << bad.substr(0, 20);
    EXPECT_FALSE(error.empty());
  }
}

TEST(Faults, ApplyFromTheKthMatchingRequest) {
  auto fault = sim::parseFault("drop@G010+3x2");
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->skip, 2);
  EXPECT_FALSE(sim::parseFault("drop@G010+0"));
  sim::FaultPlan plan;
  plan.add(*fault);
  std::vector<bool> dropped;
  for (const char* request : {"G010", "G012", "G010", "G010", "G010", "G010"})
    dropped.push_back(plan.take(request).has_value());
  EXPECT_EQ(dropped, (std::vector<bool>{false, false, false, true, true, false}));
}

}  // namespace
