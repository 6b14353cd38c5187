// The options dialog's exchanges and the switch commands against the simulated
// valve, below the windows.
#include "link/comm_error.h"
#include "params/register_map.h"
#include "remote/switches.h"
#include "service/options_settings.h"
#include "support/recording_view.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

namespace tvx::service {
namespace {

using Requests = std::vector<std::string>;

class ServiceSequences : public ::testing::Test {
 protected:
  ServiceSequences() : session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    valve_.clearRequests();
  }

  testing::SimulatedValve valve_;
  link::LinkSession session_;

  link::Port& port() { return session_.port(); }
  testing::ScriptedQuestions questions_;
};

TEST_F(ServiceSequences, OptionSettingsSendTheNumbersThenBothTextsAsTenWords) {
  // A kept word goes back as it was read.
  EXPECT_TRUE(SendOptionSettings(port(), {{"250", std::nullopt}, {"1000", std::nullopt}, {"99", 99u}, "", "ABCDE"},
                                 questions_));
  Requests expected{"W117=000000FA", "W118=000003E8", "W119=00000063"};
  for (int k = 0; k < 10; ++k) expected.push_back("S0" + std::to_string(90 + k) + "=00000000");
  expected.emplace_back("S100=44434241");
  expected.emplace_back("S101=00000045");
  for (int k = 2; k < 10; ++k) expected.push_back("S10" + std::to_string(k) + "=00000000");
  EXPECT_EQ(valve_.requests(), expected);
  EXPECT_EQ(valve_.model().deviceType(), "ABCDE");

  EXPECT_TRUE(questions_.asked.empty());

  // All or nothing: a field that holds no integer, or red dither values the
  // user does not confirm, send nothing.
  valve_.clearRequests();
  std::vector<std::string> failed;
  EXPECT_THROW(CheckOptionSettings({{"250", std::nullopt}, {"1000", std::nullopt}, {"", std::nullopt}, "", ""},
                                   questions_, [&](std::string_view field) { failed.emplace_back(field); }),
               link::ConversionError);
  EXPECT_EQ(failed, std::vector<std::string>{"Dither_Freq"});
  EXPECT_FALSE(SendOptionSettings(
      port(), {{"250", std::nullopt}, {"1251", std::nullopt}, {"300", std::nullopt}, "", "", 5000, ','}, questions_));
  ASSERT_EQ(questions_.asked.size(), 1u);
  EXPECT_NE(questions_.asked[0].find("\n amplituda pwm:  1251   (dozwolone: najwyżej 1250)"
                                     "\n częstotliwość [Hz]:  300   (dozwolone: od 10 do 250)"),
            std::string::npos)
      << questions_.asked[0];
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(ServiceSequences, SwitchesSendTheirCommandsAndRemoteControlAdoptsTheSetValue) {
  valve_.model().setStateFloat(params::state::SetValue, 2.5f);
  testing::RecordingView view;
  remote::SwitchRemoteControl(port(), view, true);
  SendOptionSwitch(port(), "MedianFilter", true);
  SendOptionSwitch(port(), "NoSuchBox", true);
  remote::SwitchDacOverride(port(), false);
  remote::SwitchBreakpoint(port(), true);
  remote::SwitchServiceMode(port(), false);
  EXPECT_EQ(valve_.requests(),
            Requests({"S001=AAAAAAAA", "G002", "S008=AAAAAAAA", "S005=55555555", "S006=AAAAAAAA", "S110=55555555"}));
  EXPECT_EQ(view.setValue, 2.5f);
  EXPECT_EQ(ReadPwmMaximum(port()), 5000u);
}

}  // namespace
}  // namespace tvx::service
