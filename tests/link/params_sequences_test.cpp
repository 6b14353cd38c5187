// The parameter-set sequences against the simulated valve, below the windows:
// what the read requests and shows in which order, and what the send writes.
#include "link/comm_error.h"
#include "link/protocol.h"
#include "params/conversions.h"
#include "params/parameter_set.h"
#include "params/valve_state.h"
#include "support/recording_view.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>

namespace tvx::params {
namespace {

using Requests = std::vector<std::string>;

std::string Write(int reg, std::uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "W%03d=%08X", reg, word);
  return text;
}

class ParameterSequences : public ::testing::Test {
 protected:
  ParameterSequences() : session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    valve_.clearRequests();
  }
  Requests names() const {
    Requests out;
    for (const std::string& r : valve_.requests()) out.push_back(r.substr(0, 4));
    return out;
  }

  testing::SimulatedValve valve_;
  link::LinkSession session_;

  link::Port& port() { return session_.port(); }
  ValveState valveState_;
  testing::RecordingView view_;
  testing::ScriptedQuestions questions_;
};

TEST_F(ParameterSequences, ReadShowsEachValueAsItComesInTheValvesOrder) {
  auto& m = valve_.model();
  m.setParameterFloat(reg::Coil_A_Imin, 1.5f);
  m.setParameter(reg::DigiPot_Value, 300);
  m.setParameter(reg::ErrorMask, 0x00012345);
  m.setParameterFloat(reg::NearZeroKp, 0.25f);
  m.setParameter(reg::Dither_Freq, 120);
  m.setState(state::DAC_Value, 2048);
  m.setState(state::DebugNumber, 4711);
  m.setState(state::ActiveProfile, 9);
  m.setState(state::Firmware, 14031122);
  m.setState(state::BoardVariant, proto::MarkerTrue);
  m.setState(state::In2Present, proto::MarkerFalse);
  m.setSerialNumber("SN-42");
  m.setDeviceType("PRV-10");
  // The serial number is shown before the type is asked for.
  std::size_t requestsAtSerial = 0;
  view_.onCall = [&](const std::string& call) {
    if (call.rfind("serial", 0) == 0) requestsAtSerial = valve_.requests().size();
  };

  ReadParameterSet(port(), valveState_, view_);
  EXPECT_EQ(names(),
            Requests({"G031", "G001", "G002", "G013", "G014", "G025", "G029", "G030", "G039", "G042", "G040", "G041"}));
  EXPECT_EQ(requestsAtSerial, 11u);
  EXPECT_TRUE(questions_.asked.empty());

  // The configuration word first, the fields in table order with their words.
  ASSERT_GE(view_.calls.size(), 6u);
  EXPECT_EQ(Requests(view_.calls.begin(), view_.calls.begin() + 6),
            Requests({"checked Positions_3=1", "checked Voltage_Mode=1", "checked LVDT_Mode=1",
                      "checked LVDT_CrossWire=0", "options =", "checked ServiceMode=0"}));
  EXPECT_EQ(view_.calls[6], "field PWM=2000");
  EXPECT_EQ(view_.fields["Coil_A_Imin"].text, "1,500");
  EXPECT_EQ(view_.fields["Coil_A_Imin"].keptWord, 0x3FC00000u);
  EXPECT_EQ(view_.fields["DigiPot_Value"].text, "300");
  EXPECT_EQ(view_.fields["Dither_Freq"].text, "120");
  EXPECT_EQ(view_.fields["DAC_Value"].keptWord, 2048u);
  EXPECT_FALSE(view_.fields.contains("ErrorMask"));
  EXPECT_EQ(valveState_.Held.errorMask, 0x00012345u);
  EXPECT_EQ(valveState_.Held.nearZeroKp, std::bit_cast<std::uint32_t>(0.25f));
  EXPECT_TRUE(view_.optionBits.Get(cfg::Dither_Mode));

  EXPECT_EQ(view_.texts["DebugPanel"], "4711");
  EXPECT_EQ(view_.texts["SelectSetup"], "Profil nr 10 ");
  EXPECT_TRUE(view_.enabled["SelectSetup"]);
  EXPECT_EQ(valveState_.CurrentProfile, 10);
  EXPECT_EQ(view_.firmware, 14031122u);
  EXPECT_TRUE(valveState_.BoardVariant);
  EXPECT_FALSE(valveState_.In2Present);
  EXPECT_EQ(view_.serialNumber.substr(0, 5), "SN-42");
  EXPECT_EQ(view_.deviceType.substr(0, 6), "PRV-10");

  // Without the options dialog its three fields are left out.
  view_ = {};
  view_.missing = {"Ramp_Start_Delay", "Dither_Ampl", "Dither_Freq"};
  ReadParameterSet(port(), valveState_, view_);
  EXPECT_FALSE(view_.fields.contains("Dither_Freq"));
  EXPECT_TRUE(view_.fields.contains("DAC_Imax"));
}

TEST_F(ParameterSequences, ASetValueThatCannotBeReadPutsTheBarAtZeroAndTheReadGoesOn) {
  valve_.server().injectFault(sim::Fault{sim::FaultKind::CorruptStx, 0, "G002", 1});
  std::vector<std::string> reports;
  link::SetErrorReporter([&](const std::string& text, const std::string&) { reports.push_back(text); });
  ReadParameterSet(port(), valveState_, view_);
  link::SetErrorReporter({});
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_FALSE(view_.setValue.has_value());
  EXPECT_NE(std::find(view_.calls.begin(), view_.calls.end(), "setValue Set_Bar=none"), view_.calls.end());
  EXPECT_EQ(names().back(), "G041");
}

TEST_F(ParameterSequences, SendWritesTheSetInOrderAndStoresIt) {
  ReadParameterSet(port(), valveState_, view_);
  const auto before = valve_.model().workingImage();
  valve_.clearRequests();
  SendParameterSet(port(), valveState_, view_, questions_, true);
  Requests expected{"W001", "R001"};
  for (int reg : SendOrder) expected.push_back(Write(reg, 0).substr(0, 4));
  expected.emplace_back("S999");
  EXPECT_EQ(names(), expected);
  EXPECT_EQ(valve_.model().workingImage(), before);  // what was read goes back unchanged
  EXPECT_TRUE(questions_.asked.empty());

  // Edited fields are converted; held values go as they are held.
  view_.fields["PID_P"] = {"1.25", std::nullopt};
  view_.fields["DigiPot_Value"] = {"300", std::nullopt};
  valveState_.Held.errorMask = 0x00ABCDEF;
  valve_.clearRequests();
  SendParameterSet(port(), valveState_, view_, questions_, false);
  const Requests sent = valve_.requests();
  for (const std::string& w : {Write(18, 0x3FA00000u), Write(21, 300), Write(67, 0x00ABCDEF)})
    EXPECT_NE(std::find(sent.begin(), sent.end(), w), sent.end()) << w;
  EXPECT_EQ(valve_.model().commandCount(999), 1u);
}

TEST_F(ParameterSequences, ASendIsAllOrNothing) {
  ReadParameterSet(port(), valveState_, view_);
  struct Case {
    const char* field;
    const char* text;
    const char* message;  // the conversion's; nullptr: the range question, answered No
  };
  const Case cases[] = {
      {"PWM", "---", "'---' is not a valid integer value"},
      {"DigiPot_Value", "-5", "Range check error"},
      {"PID_I", "", "'' is not a valid floating point value"},
      // Beyond the range of a single: never sent as infinity.
      {"Near_Zero_Zone", "1e39", "Range check error"},
      {"Dither_Freq", "1,5", "'1,5' is not a valid integer value"},
      {"PWM", "6000", nullptr},
      {"I_Limit", "3,5", nullptr},
      {"Coil_A_Imin", "1,7", nullptr},
      {"ADC_Gain", "0", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + "=" + c.text);
    const view::FieldValue old = view_.fields[c.field];
    view_.fields[c.field] = {c.text, std::nullopt};
    view_.calls.clear();
    questions_.asked.clear();
    valve_.clearRequests();
    if (c.message) {
      try {
        SendParameterSet(port(), valveState_, view_, questions_, true);
        ADD_FAILURE() << "sent";
      } catch (const link::ConversionError& e) {
        EXPECT_STREQ(e.what(), c.message);
      }
      EXPECT_EQ(view_.calls, Requests{"failed " + std::string(c.field) + "="});
      EXPECT_TRUE(questions_.asked.empty());
    } else {
      EXPECT_FALSE(SendParameterSet(port(), valveState_, view_, questions_, true));
      ASSERT_EQ(questions_.asked.size(), 1u);
      EXPECT_NE(questions_.asked[0].find(std::string(c.text) + "   (dozwolone: "), std::string::npos)
          << questions_.asked[0];
    }
    EXPECT_TRUE(valve_.requests().empty());
    view_.fields[c.field] = old;
  }

  // "Tak" sends the whole set as it is; the question lists every such field.
  view_.fields["PWM"] = {"6000", std::nullopt};
  view_.fields["DAC_Imax"] = {"4", std::nullopt};
  questions_.asked.clear();
  questions_.answers = {view::Questions::Answer::Yes};
  valve_.clearRequests();
  EXPECT_TRUE(SendParameterSet(port(), valveState_, view_, questions_, false));
  ASSERT_EQ(questions_.asked.size(), 1u);
  EXPECT_EQ(questions_.asked[0],
            " Wartości poza zakresem|Wartości poza dopuszczalnym zakresem:\n"
            "\n PWM [Hz]:  6000   (dozwolone: od 50 do 5000)"
            "\n I DAC [A]:  4   (dozwolone: najwyżej 3,3)"
            "\n\nWysłać je mimo to do rozdzielacza?  ");
  EXPECT_EQ(valve_.requests().size(), 2 + SendOrder.size());
  EXPECT_EQ(valve_.model().parameter(reg::PWM), 6000u);
}

}  // namespace
}  // namespace tvx::params
