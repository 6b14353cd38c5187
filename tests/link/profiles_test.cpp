// The profile operations against the simulated valve: the frames on the wire,
// the configuration file written and read, what the dialog shows, and the
// sound behaviour on damaged files, failed reads and a Cancel.
#include "params/profiles.h"

#include "link/comm_error.h"
#include "link/pump_wait.h"
#include "params/cfg_file.h"
#include "params/valve_state.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <thread>
#include <stdexcept>

namespace tvx::params {
namespace {

using Requests = std::vector<std::string>;
using link::LinkSession;
using testing::SimulatedValve;

struct RecordingDialog : ProfileDialog {
  std::vector<int> banks;  // every CheckBank
  int checked = -1;
  std::uint32_t marks = 0;
  std::vector<ProfileBusy> busy;
  int beeps = 0;
  void CheckBank(int bank) override {
    banks.push_back(bank);
    checked = bank >= 0 && bank <= 2 ? bank : -1;
  }
  std::optional<int> CheckedProfile() const override {
    return checked < 0 ? std::nullopt : std::optional<int>(checked + 1);
  }
  void MarkProfiles(std::uint32_t changed) override { marks = changed; }
  void SetBusy(ProfileBusy b) override { busy.push_back(b); }
  void Beep() override { ++beeps; }
};

struct ScriptedQuestions : ProfileQuestions {
  std::vector<std::optional<std::string>> fileNames;  // answered in order
  std::vector<bool> confirmations;
  std::vector<std::string> asked;  // file dialogs ("save", "open") and question texts
  std::vector<std::string> told;
  std::optional<std::string> Next() {
    if (fileNames.empty()) return std::nullopt;
    auto name = fileNames.front();
    fileNames.erase(fileNames.begin());
    return name;
  }
  std::optional<std::string> SaveFileName() override {
    asked.emplace_back("save");
    return Next();
  }
  std::optional<std::string> OpenFileName() override {
    asked.emplace_back("open");
    return Next();
  }
  bool Confirm(const std::string& text, const std::string& caption) override {
    asked.push_back(caption + "|" + text);
    bool yes = !confirmations.empty() && confirmations.front();
    if (!confirmations.empty()) confirmations.erase(confirmations.begin());
    return yes;
  }
  void Inform(const std::string& text, const std::string& caption) override { told.push_back(caption + "|" + text); }
};

struct MemoryStorage : CfgStorage {
  std::map<std::string, std::vector<std::uint8_t>> files;
  int writes = 0;
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  std::optional<std::vector<std::uint8_t>> Read(const std::string& path, std::size_t limit) override {
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    auto bytes = it->second;
    if (bytes.size() > limit) bytes.resize(limit);
    return bytes;
  }
  void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    ++writes;
    files[path] = bytes;
  }
};

// A profile image a valve can hold (a read refuses words no valve holds),
// different for each seed.
cfgfile::Image Pattern(int seed) {
  auto words = sim::ValveModel::factoryParameters({});
  words[2] = 1000 + static_cast<std::uint32_t>(seed);
  words[96] = static_cast<std::uint32_t>(seed);
  words[117] = 0x01020304u * static_cast<std::uint32_t>(seed);
  const sim::Bank bank = sim::ValveModel::imageOf(words);
  cfgfile::Image image;
  std::copy(bank.begin(), bank.end(), image.begin());
  return image;
}

cfgfile::Images ThreePatterns() { return {Pattern(1), Pattern(2), Pattern(3)}; }

// The frames of loading one bank.
Requests BankFrames(const cfgfile::Image& image, int bank) {
  Requests r{"S988=AAAA5555"};
  for (int i = 0; i < 128; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "S989=%08X", cfgfile::ImageWord(image, i));
    r.push_back(text);
  }
  r.push_back("S990=AA55AA0" + std::to_string(bank));
  return r;
}

Requests Concat(std::initializer_list<Requests> parts) {
  Requests out;
  for (const Requests& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class Profiles : public ::testing::Test {
 protected:
  Profiles() : session_(valve_.comNumber()), ops_(session_.port(), valveState_, dialog_, questions_, storage_) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    link::SetErrorReporter([this](const std::string& text, const std::string&) { reports_.push_back(text); });
    valve_.clearRequests();
  }
  void TearDown() override {
    link::SetErrorReporter({});
    link::SetPumpHook({});
  }
  void SetUserBanks(const cfgfile::Images& images) {
    for (int b = 0; b < 3; ++b) {
      sim::Bank bank;
      std::copy(images[b].begin(), images[b].end(), bank.begin());
      valve_.model().setUserBank(b, bank);
    }
  }
  bool UserBanksAre(const cfgfile::Images& images) {
    for (int b = 0; b < 3; ++b) {
      const sim::Bank bank = valve_.model().userBank(b);
      if (!std::equal(bank.begin(), bank.end(), images[b].begin())) return false;
    }
    return true;
  }

  SimulatedValve valve_;
  LinkSession session_;
  ValveState valveState_;

  link::Port& port() { return session_.port(); }
  RecordingDialog dialog_;
  ScriptedQuestions questions_;
  MemoryStorage storage_;
  ProfileOperations ops_;
  std::vector<std::string> reports_;
};

TEST_F(Profiles, SaveReadsTheThreeBanksThenWritesTheWholeFile) {
  SetUserBanks(ThreePatterns());
  valve_.model().setState(29, 1);  // profile 2 active
  dialog_.marks = 5;
  questions_.fileNames = {"/cfg/a.cfg"};
  ops_.SaveToFile();
  EXPECT_EQ(valve_.requests(), (Requests{"G029", "S991=AA550200", "S991=AA551200", "S991=AA552200"}));
  EXPECT_EQ(storage_.files["/cfg/a.cfg"], cfgfile::Compose(ThreePatterns()));
  // Progress on the radio buttons, then the active profile's.
  EXPECT_EQ(dialog_.banks, (std::vector<int>{0, 1, 2, 1}));
  EXPECT_EQ(dialog_.busy, (std::vector<ProfileBusy>{ProfileBusy::File, ProfileBusy::None}));
  EXPECT_EQ(dialog_.marks, 0u);
  EXPECT_TRUE(questions_.told.empty());
}

TEST_F(Profiles, SaveAsksBeforeReplacingAFileAndCancelAsksForAnotherName) {
  storage_.files["/cfg/old.cfg"] = {1, 2, 3};
  questions_.fileNames = {"/cfg/old.cfg", "/cfg/old.cfg"};
  questions_.confirmations = {false, true};
  ops_.SaveToFile();
  EXPECT_EQ(questions_.asked,
            (std::vector<std::string>{"save", " Konfiguracja| Zastąpić istniejący plik ?  \n\n /cfg/old.cfg  ", "save",
                                      " Konfiguracja| Zastąpić istniejący plik ?  \n\n /cfg/old.cfg  "}));
  EXPECT_EQ(storage_.files["/cfg/old.cfg"].size(), cfgfile::FileBytes);

  // A cancelled file dialog does nothing at all.
  valve_.clearRequests();
  ops_.SaveToFile();
  EXPECT_TRUE(valve_.requests().empty());
  EXPECT_EQ(storage_.writes, 1);
}

TEST_F(Profiles, AFailedBankReadLeavesTheOldFileAndARestoredDialog) {
  storage_.files["/cfg/good.cfg"] = cfgfile::Compose(ThreePatterns());
  questions_.fileNames = {"/cfg/good.cfg"};
  questions_.confirmations = {true};
  valve_.model().setState(29, 2);
  ops_.RequestStop();  // a Cancel pressed during the save
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Truncate, 100, "S991=AA551200", 1});
  EXPECT_THROW(ops_.SaveToFile(), link::UsbError);
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(storage_.writes, 0);
  EXPECT_EQ(storage_.files["/cfg/good.cfg"], cfgfile::Compose(ThreePatterns()));
  EXPECT_EQ(dialog_.busy.back(), ProfileBusy::None);
  EXPECT_EQ(dialog_.checked, 2);
  EXPECT_FALSE(ops_.StopRequested());
}

TEST_F(Profiles, LoadSendsEachBankWordByWordAndStoresIt) {
  const cfgfile::Images images = ThreePatterns();
  storage_.files["/cfg/a.cfg"] = cfgfile::Compose(images);
  questions_.fileNames = {"/cfg/a.cfg"};
  valve_.model().setState(29, 1);
  ops_.LoadFromFile();
  EXPECT_EQ(valve_.requests(),
            Concat({{"G029"}, BankFrames(images[0], 0), BankFrames(images[1], 1), BankFrames(images[2], 2)}));
  EXPECT_TRUE(UserBanksAre(images));
  EXPECT_EQ(dialog_.banks, (std::vector<int>{0, 1, 2, 1}));
  EXPECT_EQ(dialog_.busy, (std::vector<ProfileBusy>{ProfileBusy::Loading, ProfileBusy::None}));
  EXPECT_TRUE(questions_.told.empty());
}

TEST_F(Profiles, LoadRefusesBadFilesBeforeSending) {
  const cfgfile::Images images = ThreePatterns();
  const std::vector<std::uint8_t> good = cfgfile::Compose(images);
  auto with = [&](std::size_t offset, std::uint8_t value) {
    auto f = good;
    f[offset] = value;
    return f;
  };
  const std::string open = " Błąd|Błąd otwarcia pliku:\n\n/cfg/f.cfg   ";
  const std::string version = " Błąd|Nieprawidłowa wersja pliku konfiguracyjnego:  \n\n/cfg/f.cfg   ";
  const std::string structure = " Błąd|Błędna struktura pliku:\n\n/cfg/f.cfg   ";
  struct Case {
    const char* what;
    std::optional<std::vector<std::uint8_t>> file;
    std::string message;  // empty: none
    int banksLoaded;
  };
  const Case cases[] = {
      {"missing", std::nullopt, open, 0},
      {"length 513", with(3, 0x01), version, 0},
      {"version 01 02", with(1, 0x02), version, 0},
      {"two bytes", std::vector<std::uint8_t>{1, 3}, version, 0},
      {"image byte changed", with(700, good[700] ^ 0x10), structure, 0},
      {"complement changed", with(1547, 0x00), structure, 0},
      {"short file", std::vector<std::uint8_t>(good.begin(), good.begin() + 1000), structure, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    storage_.files.clear();
    if (c.file) storage_.files["/cfg/f.cfg"] = *c.file;
    questions_.fileNames = {"/cfg/f.cfg"};
    questions_.told.clear();
    dialog_.busy.clear();
    valve_.clearRequests();
    ops_.LoadFromFile();
    Requests expected{"G029"};
    for (int b = 0; b < c.banksLoaded; ++b) expected = Concat({expected, BankFrames(images[b], b)});
    EXPECT_EQ(valve_.requests(), expected);
    EXPECT_EQ(questions_.told, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    EXPECT_EQ(dialog_.busy.back(), ProfileBusy::None);
  }
}

TEST_F(Profiles, CancelStopsTheLoadAfterTheBankInProgress) {
  const cfgfile::Images images = ThreePatterns();
  // An old file without check words loads.
  storage_.files["/cfg/a.cfg"] = cfgfile::Compose(images);
  storage_.files["/cfg/a.cfg"].resize(cfgfile::ImagesEnd);
  // A stop request left over from a save does not stop the load...
  ops_.RequestStop();
  questions_.fileNames = {"/cfg/a.cfg"};
  // ...but a Cancel while bank 0 is being sent does, after that bank.
  link::SetPumpHook([&](std::chrono::nanoseconds maxWait) {
    if (valve_.server().requestCount() == 20) ops_.RequestStop();
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(maxWait, std::chrono::milliseconds(1)));
  });
  ops_.LoadFromFile();
  link::SetPumpHook({});
  EXPECT_EQ(valve_.requests(), Concat({{"G029"}, BankFrames(images[0], 0)}));
  EXPECT_TRUE(questions_.told.empty());
  EXPECT_FALSE(ops_.StopRequested());
  EXPECT_EQ(dialog_.busy.back(), ProfileBusy::None);
}

TEST_F(Profiles, CancelledOpenDialogLeavesTheDialogAsItWas) {
  dialog_.checked = 2;
  ops_.LoadFromFile();
  EXPECT_TRUE(valve_.requests().empty());
  EXPECT_TRUE(dialog_.banks.empty());
  EXPECT_TRUE(dialog_.busy.empty());
}

TEST_F(Profiles, CommandsOfTheMenu) {
  struct Case {
    const char* what;
    void (ProfileOperations::*operation)();
    int checked;
    Requests frames;
    bool disables;
  };
  const Case cases[] = {
      {"user to factory", &ProfileOperations::CopyUserToFactory, -1, {"S985=AAAA5555"}, true},
      {"factory to user", &ProfileOperations::CopyFactoryToUser, -1, {"S986=AAAA5555"}, true},
      {"restore profile 2", &ProfileOperations::RestoreCheckedProfile, 1, {"S987=AAAA5501"}, true},
      {"restore without a choice", &ProfileOperations::RestoreCheckedProfile, -1, {}, true},
      {"typical values", &ProfileOperations::WriteTypicalValues, -1, {"S994=5555AAAA"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    valve_.clearRequests();
    dialog_ = RecordingDialog{};
    dialog_.checked = c.checked;
    dialog_.marks = 7;
    (ops_.*c.operation)();
    EXPECT_EQ(valve_.requests(), c.frames);
    EXPECT_EQ(dialog_.marks, 0u);
    EXPECT_EQ(dialog_.beeps, c.frames.empty() ? 1 : 0);
    const std::vector<ProfileBusy> busy =
        c.disables ? std::vector<ProfileBusy>{ProfileBusy::Command, ProfileBusy::None} : std::vector<ProfileBusy>{};
    EXPECT_EQ(dialog_.busy, busy);
  }
}

TEST_F(Profiles, ComparisonMarksTheChangedProfiles) {
  sim::Bank changed = valve_.model().userBank(0);
  changed[10] ^= 1;
  valve_.model().setUserBank(0, changed);
  valve_.model().setUserBank(2, changed);
  ops_.CompareWithFactory();
  EXPECT_EQ(valve_.requests(), (Requests{"S984=AAAA5503"}));
  EXPECT_EQ(dialog_.marks, 5u);
  EXPECT_EQ(questions_.told, (std::vector<std::string>{std::string("Wynik porównania|") + profiletext::Different}));

  valve_.model().setUserBank(0, valve_.model().factoryBank(0));
  valve_.model().setUserBank(2, valve_.model().factoryBank(2));
  ops_.CompareWithFactory();
  EXPECT_EQ(dialog_.marks, 0u);
  EXPECT_EQ(questions_.told.back(), std::string("Wynik porównania|") + profiletext::Same);
}

TEST_F(Profiles, ComparisonWithAFileCountsTheDifferingWords) {
  cfgfile::Images images = ThreePatterns();
  SetUserBanks(images);
  storage_.files["/cfg/a.cfg"] = cfgfile::Compose(images);
  sim::Bank changed = valve_.model().userBank(1);
  changed[0] ^= 1;
  changed[4 * 100 + 3] ^= 0x80;
  valve_.model().setUserBank(1, changed);
  questions_.fileNames = {"/cfg/a.cfg"};
  ops_.CompareWithFile();
  EXPECT_EQ(valve_.requests(), (Requests{"S991=AA550200", "S991=AA551200", "S991=AA552200"}));
  EXPECT_EQ(dialog_.marks, 2u);
  ASSERT_EQ(questions_.told.size(), 1u);
  EXPECT_EQ(questions_.told[0],
            "Wynik porównania|Porównanie profili użytkownika z plikiem:\n/cfg/a.cfg\n\nProfil 1: zgodny z plikiem."
            "\nProfil 2: różny od pliku, różnych słów: 2 z 128.\nProfil 3: zgodny z plikiem.  ");
  EXPECT_TRUE(dialog_.banks.empty());

  // An incomplete file is refused without reading the valve.
  storage_.files["/cfg/a.cfg"].resize(1540 - 512);
  questions_.fileNames = {"/cfg/a.cfg"};
  valve_.clearRequests();
  ops_.CompareWithFile();
  EXPECT_TRUE(valve_.requests().empty());
  EXPECT_EQ(questions_.told.back(), " Błąd|Błędna struktura pliku:\n\n/cfg/a.cfg   ");
}

struct ScriptedSelection : ProfileSelection {
  std::optional<int> answer;
  std::optional<int> offered = -1;
  std::vector<std::int64_t> shown;
  std::optional<int> Choose(std::optional<int> button) override {
    offered = button;
    return answer;
  }
  void ShowProfile(std::int64_t number) override { shown.push_back(number); }
};

TEST_F(Profiles, SelectingAProfile) {
  struct Case {
    std::uint32_t register29;
    std::optional<int> answer;
    std::optional<int> offered;
    Requests frames;
    std::vector<std::int64_t> shown;
    std::int64_t current;
  };
  const Case cases[] = {
      {1, 3, 2, {"G029", "S995=AA55AA02"}, {3, 3}, 3},
      {1, std::nullopt, 2, {"G029"}, {2}, 2},
      {9, std::nullopt, std::nullopt, {"G029"}, {}, 10},
      {0xFFFFFFFFu, std::nullopt, std::nullopt, {"G029"}, {}, 0x100000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.register29);
    valve_.clearRequests();
    valve_.model().overrideState(29, c.register29);
    ScriptedSelection selection;
    selection.answer = c.answer;
    ValveState valve;
    SelectProfile(port(), valve, selection);
    EXPECT_EQ(selection.offered, c.offered);
    EXPECT_EQ(valve_.requests(), c.frames);
    EXPECT_EQ(selection.shown, c.shown);
    EXPECT_EQ(valve.CurrentProfile, c.current);
  }
}

TEST_F(Profiles, WhatMayChangeTheWorkingSetForgetsTheHeldErrorMask) {
  // One profile is enough to count as a load (and quicker).
  const auto file = cfgfile::Compose(ThreePatterns());
  storage_.files["/cfg/one.cfg"] = std::vector<std::uint8_t>(file.begin(), file.begin() + 4 + cfgfile::ImageBytes);
  struct Case {
    const char* what;
    std::function<void()> run;
    bool stillKnown;
  };
  const Case cases[] = {
      {"choose",
       [&] {
         ScriptedSelection selection;
         selection.answer = 2;
         SelectProfile(port(), valveState_, selection);
       },
       false},
      {"load",
       [&] {
         questions_.fileNames = {"/cfg/one.cfg"};
         ops_.LoadFromFile();
       },
       false},
      {"user to factory", [&] { ops_.CopyUserToFactory(); }, false},
      {"factory to user", [&] { ops_.CopyFactoryToUser(); }, false},
      {"restore",
       [&] {
         dialog_.checked = 0;
         ops_.RestoreCheckedProfile();
       },
       false},
      {"typical values", [&] { ops_.WriteTypicalValues(); }, false},
      {"compare", [&] { ops_.CompareWithFactory(); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    valveState_.ErrorMaskKnown = true;
    c.run();
    EXPECT_EQ(valveState_.ErrorMaskKnown, c.stillKnown);
  }
}

}  // namespace
}  // namespace tvx::params
