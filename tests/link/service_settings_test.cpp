// The error-handling settings and the linearisation tables against the
// simulated valve: what is read, what goes back, and where a failure stops.
#include "link/comm_error.h"
#include "params/conversions.h"
#include "service/lin_table.h"
#include "status/error_settings.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

using Requests = std::vector<std::string>;
using link::LinkSession;
using testing::SimulatedValve;

class ServiceSettings : public ::testing::Test {
 protected:
  ServiceSettings() : session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    link::SetErrorReporter([this](const std::string& text, const std::string&) { reports_.push_back(text); });
    valve_.clearRequests();
  }
  void TearDown() override { link::SetErrorReporter({}); }

  SimulatedValve valve_;
  LinkSession session_;

  link::Port& port() { return session_.port(); }
  std::vector<std::string> reports_;
};

// Answers with every value as shown, except what the test changes; an OK
// whose check fails is followed by cancel.
struct ScriptedErrorEditor : status::ErrorSettingsEditor {
  std::optional<status::ErrorSettingsShown> shown;
  bool ok = true;
  std::optional<std::string> stopText;  // typed into Stop_Limit
  std::optional<status::ErrorSettingsAnswer> Edit(const status::ErrorSettingsShown& s,
                                                  const status::ErrorSettingsCheck& check) override {
    shown = s;
    if (!ok) return std::nullopt;
    status::ErrorSettingsAnswer a;
    a.checkedBits = s.mask;
    a.warnLimit = s.warnField;
    a.stopLimit = s.stopField;
    if (stopText) a.stopLimit = {*stopText, std::nullopt};
    a.startDelay = s.delayField;
    try {
      if (!check(a)) return std::nullopt;
    } catch (const link::ConversionError&) {
      return std::nullopt;
    }
    return a;
  }
  std::vector<std::string> failed;
  void ShowFailedField(std::string_view field) override { failed.emplace_back(field); }
};

TEST_F(ServiceSettings, ErrorSettingsReadTheMaskWhenItIsNotKnownAndWriteBackWhatWasRead) {
  struct Case {
    const char* what;
    bool known;
    std::uint32_t heldMask;
    std::uint32_t valveMask;
    Requests frames;
  };
  const Case cases[] = {
      {"after a parameter read",
       true,
       0x003FFFFF,
       0,
       {"R115", "R116", "R122", "W067=003FFFFF", "W115=00000041", "W116=00000046", "W122=00000064"}},
      {"connected without a read",
       false,
       0,
       0x003FFFFF,
       {"R067", "R115", "R116", "R122", "W067=003FFFFF", "W115=00000041", "W116=00000046", "W122=00000064"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    valve_.clearRequests();
    valve_.model().setParameter(67, c.valveMask);
    std::uint32_t mask = c.heldMask;
    bool known = c.known;
    ScriptedErrorEditor editor;
    status::EditErrorSettings(port(), {mask, known}, editor);
    EXPECT_EQ(valve_.requests(), c.frames);
    EXPECT_TRUE(known);
    EXPECT_EQ(mask, 0x003FFFFFu);
    ASSERT_TRUE(editor.shown);
    EXPECT_EQ(editor.shown->mask, c.known ? c.heldMask : c.valveMask);
  }
}

TEST_F(ServiceSettings, ErrorSettingsSendWhatTheFieldsShow) {
  // A word the field shows exactly goes back as it is; a clamped one as shown.
  struct Case {
    std::uint32_t warn, stop, delay;
    std::optional<std::string> typedStop;
    Requests writes;
  } cases[] = {
      {40, 0x7D, 2500, std::nullopt, {"W115=00000028", "W116=0000007D", "W122=000009C4"}},
      {200, 0xFFFFFFFFu, 3000, std::nullopt, {"W115=0000007D", "W116=0000007D", "W122=000009C4"}},
      {200, 200, 100, "125", {"W115=0000007D", "W116=0000007D", "W122=00000064"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.warn);
    valve_.model().setParameter(115, c.warn);
    valve_.model().setParameter(116, c.stop);
    valve_.model().setParameter(122, c.delay);
    valve_.clearRequests();
    std::uint32_t mask = 0x1234;
    bool known = true;
    ScriptedErrorEditor editor;
    editor.stopText = c.typedStop;
    status::EditErrorSettings(port(), {mask, known}, editor);
    Requests expected{"R115", "R116", "R122", "W067=00001234"};
    expected.insert(expected.end(), c.writes.begin(), c.writes.end());
    EXPECT_EQ(valve_.requests(), expected);
  }
}

TEST_F(ServiceSettings, ErrorSettingsSendNothingForAFieldThatIsNoIntegerAndCancelWritesNothing) {
  std::uint32_t mask = 0x3FFFFF;
  bool known = true;
  ScriptedErrorEditor editor;
  editor.stopText = "7a";
  status::EditErrorSettings(port(), {mask, known}, editor);
  EXPECT_EQ(valve_.requests(), (Requests{"R115", "R116", "R122"}));
  EXPECT_EQ(editor.failed, std::vector<std::string>{"Stop_Limit"});

  valve_.clearRequests();
  editor.ok = false;
  mask = 0x15;
  status::EditErrorSettings(port(), {mask, known}, editor);
  EXPECT_EQ(valve_.requests(), (Requests{"R115", "R116", "R122"}));
  EXPECT_EQ(mask, 0x15u);
}

struct ScriptedTableEditor : service::LinTableEditor {
  std::optional<service::LinTableWords> shown;
  std::optional<service::LinTableAnswer> answer;  // nothing: cancel
  std::optional<service::LinTableAnswer> Edit(service::LinTableKind, const service::LinTableWords& words,
                                              bool) override {
    shown = words;
    return answer;
  }
};

std::string WriteText(int reg, std::uint32_t word) {
  char text[20];
  std::snprintf(text, sizeof text, "W%03d=%08X", reg, word);
  return text;
}

TEST_F(ServiceSettings, LinTableIsReadAsABlockAndWrittenRegisterByRegisterBeforeItsFlag) {
  struct Case {
    service::LinTableKind kind;
    std::string block;
    int base;
  };
  const Case cases[] = {
      {service::LinTableKind::SolenoidA, "G035", 23},
      {service::LinTableKind::SolenoidB, "G036", 45},
      {service::LinTableKind::Lvdt, "G037", 74},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.block);
    valve_.clearRequests();
    valve_.model().setParameter(c.base + 5, 0x42055555u);  // 33.333332: goes back unchanged
    ScriptedTableEditor editor;
    service::LinTableAnswer answer;
    for (int k = 0; k < 22; ++k) answer.words[k] = 0x3F800000u + static_cast<std::uint32_t>(k);
    answer.use = true;
    editor.answer = answer;
    bool use = false;
    service::EditLinTable(port(), c.kind, use, editor);
    ASSERT_TRUE(editor.shown);
    EXPECT_EQ((*editor.shown)[5], 0x42055555u);
    EXPECT_EQ((*editor.shown)[11], params::FloatToWord(c.kind == service::LinTableKind::Lvdt ? -100.0f : 0.0f));
    Requests expected{c.block};
    for (int k = 0; k < 22; ++k) expected.push_back(WriteText(c.base + k, answer.words[k]));
    EXPECT_EQ(valve_.requests(), expected);
    EXPECT_TRUE(use);
  }
}

TEST_F(ServiceSettings, LinTableCancelWritesNothingAndAFailedWriteKeepsTheFlag) {
  ScriptedTableEditor editor;
  bool use = true;
  service::EditLinTable(port(), service::LinTableKind::SolenoidA, use, editor);
  EXPECT_EQ(valve_.requests(), (Requests{"G035"}));
  EXPECT_TRUE(use);

  valve_.clearRequests();
  editor.answer = service::LinTableAnswer{};
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "W030", 1});
  EXPECT_THROW(service::EditLinTable(port(), service::LinTableKind::SolenoidA, use, editor), link::UsbError);
  EXPECT_EQ(valve_.requests().size(), 1u + 8u);
  EXPECT_EQ(valve_.requests().back().substr(0, 4), "W030");
  EXPECT_TRUE(use);
  EXPECT_EQ(reports_.size(), 1u);
}

}  // namespace
}  // namespace tvx
