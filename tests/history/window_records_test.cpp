// The history below the window: a record against the values shown and put back
// so that the send writes its words exactly; profile banks kept from a backup
// (reads only) and from a load of it, which undoes a later change.
#include "history/backup.h"
#include "history/recorder.h"
#include "history/window_records.h"
#include "link/protocol.h"
#include "params/cfg_file.h"
#include "params/parameter_set.h"
#include "params/profiles.h"
#include "params/recorded_view.h"
#include "params/register_map.h"
#include "support/no_profile_dialog.h"
#include "support/recording_view.h"
#include "support/valve_link_test.h"

#include <cstdio>
#include <map>

namespace tvx::history {
namespace {

class WindowRecords : public testing::ValveLinkTest {
 protected:
  ValveRecord LastRecord() {
    const auto id = recorder_.lastRecord();
    EXPECT_TRUE(id);
    auto record = id ? recorder_.store().record(*id) : std::nullopt;
    EXPECT_TRUE(record);
    return record ? *record : ValveRecord{};
  }
  static std::array<std::uint32_t, SetWords> Words(const params::cfgfile::Image& image) {
    std::array<std::uint32_t, SetWords> words{};
    for (int i = 0; i < SetWords; ++i) words[static_cast<std::size_t>(i)] = params::cfgfile::ImageWord(image, i);
    return words;
  }

  testing::TempFolder folder_;
  QStringList warnings_;
  HistoryRecorder recorder_{[this](const QString& text) { warnings_ << text; },
                            QString::fromStdString((folder_.path() / "history.sqlite").string())};
  params::RecordedView view_{','};
};

TEST_F(WindowRecords, ARecordPutBackIntoTheFieldsIsSentWordForWord) {
  params::ReadParameterSet(port(), valveState_, view_);
  ValveRecord record = LastRecord();
  ASSERT_TRUE(HoldsSentSet(record.words));

  view_.fields["PWM"] = {"1234", std::nullopt};
  view_.fields["Coil_A_Imin"] = {"0,5", std::nullopt};
  std::map<int, ComparedParameter> differing;
  for (const auto& c : CompareWithWindow(record.words, view_, valveState_.Held))
    if (c.differs) differing[c.reg] = c;
  ASSERT_EQ(differing.size(), 2u);
  EXPECT_EQ(differing[params::reg::PWM].caption, QStringLiteral("Częstotliwość PWM (PWM) [Hz]"));
  EXPECT_EQ(differing[params::reg::PWM].window, QStringLiteral("1234"));
  EXPECT_EQ(differing[params::reg::Coil_A_Imin].caption, QStringLiteral("Elektromagnes A: Prąd minimalny Imin [A]"));

  ShowRecordedSet(view_, valveState_, record.words);
  for (const auto& c : CompareWithWindow(record.words, view_, valveState_.Held))
    EXPECT_FALSE(c.differs) << c.caption.toStdString();
  testing::ScriptedQuestions questions;
  ASSERT_TRUE(params::SendParameterSet(port(), valveState_, view_, questions, false));
  int written = 0;
  for (const std::string& r : requests()) {
    int reg = 0;
    unsigned word = 0;
    if (std::sscanf(r.c_str(), "W%3d=%8X", &reg, &word) != 2 || reg == params::reg::Configuration) continue;
    ++written;
    EXPECT_EQ(record.words[static_cast<std::size_t>(reg - 1)], std::optional<std::uint32_t>(word)) << r;
  }
  EXPECT_GT(written, 20);

  record.words[params::reg::PWM - 1].reset();
  EXPECT_FALSE(HoldsSentSet(record.words));
  EXPECT_TRUE(warnings_.isEmpty()) << warnings_.join('\n').toStdString();
}

TEST_F(WindowRecords, ABackupReadsTheBanksOnlyAndALoadOfItUndoesAChangeAndIsKeptWhole) {
  params::ReadParameterSet(port(), valveState_, view_);  // names the valve
  valve_.clearRequests();
  const auto id = BackUpProfiles(port(), recorder_);
  ASSERT_TRUE(id);
  // One read-out a bank, nothing else.
  const std::string readOut = "S" + std::to_string(proto::ProfileBankCommand);
  EXPECT_EQ(requests().size(), 3u);
  for (const std::string& r : requests()) EXPECT_EQ(r.substr(0, 4), readOut) << r;
  const auto backup = recorder_.store().record(*id);
  ASSERT_TRUE(backup && backup->banks);
  EXPECT_EQ(backup->operation, QStringLiteral("Kopia zapasowa"));
  for (int bank = 0; bank < 3; ++bank) {
    params::cfgfile::Image image;
    const sim::Bank held = valve_.model().userBank(bank);
    std::copy(held.begin(), held.end(), image.begin());
    EXPECT_EQ((*backup->banks)[bank], Words(image)) << bank;
  }

  const sim::Bank before = valve_.model().userBank(1);
  valve_.model().setUserBank(1, valve_.model().userBank(0));
  testing::NoProfileDialog dialog;
  testing::ScriptedQuestions answers;
  answers.answers.push_back(view::Questions::Answer::No);
  EXPECT_FALSE(RestoreProfiles(port(), valveState_, *backup, dialog, answers));
  answers.answers.push_back(view::Questions::Answer::Yes);
  valve_.clearRequests();
  ASSERT_TRUE(RestoreProfiles(port(), valveState_, *backup, dialog, answers));
  EXPECT_EQ(valve_.model().userBank(1), before);
  EXPECT_EQ(requests().size(), 3u * (1 + 128 + 1) + 1);  // the active bank, then per bank: begin, words, store
  // The load is recorded with the banks it wrote; the working set is no longer known.
  const ValveRecord loaded = LastRecord();
  EXPECT_EQ(loaded.operation,
            QStringLiteral("Pobierz profile użytkownika z pliku konfiguracyjnego historia, zapis %1").arg(backup->id));
  EXPECT_EQ(loaded.banks, backup->banks);
  EXPECT_FALSE(loaded.hasWords());

  // A copy between factory and user profiles reads nothing, so its record has
  // the operation alone: no words, no changes, nothing to send back.
  struct NoFiles : params::ProfileQuestions, params::CfgStorage {
    std::optional<std::string> SaveFileName() override { return std::nullopt; }
    std::optional<std::string> OpenFileName() override { return std::nullopt; }
    bool Confirm(const std::string&, const std::string&) override { return false; }
    void Inform(const std::string&, const std::string&) override {}
    bool Exists(const std::string&) override { return false; }
    std::optional<std::vector<std::uint8_t>> Read(const std::string&, std::size_t) override { return std::nullopt; }
    void Write(const std::string&, const std::vector<std::uint8_t>&) override {}
  } files;
  valve_.clearRequests();
  params::ProfileOperations(port(), valveState_, dialog, files, files).CopyFactoryToUser();
  EXPECT_EQ(requests().size(), 1u);
  const ValveRecord copied = LastRecord();
  EXPECT_EQ(copied.operation, QStringLiteral("Skopiuj profile fabryczne do profilów użytkownika"));
  EXPECT_FALSE(copied.hasWords() || copied.banks);
  const auto line = RecordLines(recorder_.store().list(copied.valve.serialNumber, 1));
  ASSERT_EQ(line.size(), 1u);
  EXPECT_EQ(line[0].operation, copied.operation);
  EXPECT_EQ(line[0].changes, QString());
  EXPECT_TRUE(warnings_.isEmpty()) << warnings_.join('\n').toStdString();
}

}  // namespace
}  // namespace tvx::history
