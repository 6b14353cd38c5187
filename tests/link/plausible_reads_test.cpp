// Reads that cannot be trusted: a reply framed correctly whose words no valve
// holds fails like a malformed reply, and nothing of it is shown, kept, saved
// or written back.
#include "link/exchanges.h"
#include "params/cfg_file.h"
#include "params/parameter_set.h"
#include "params/profiles.h"
#include "params/valve_state.h"
#include "service/lin_table.h"
#include "status/error_settings.h"
#include "support/no_profile_dialog.h"
#include "support/recording_view.h"
#include "support/valve_link_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace tvx {
namespace {

struct SaveTo : params::ProfileQuestions {
  std::optional<std::string> SaveFileName() override { return "/cfg/a.cfg"; }
  std::optional<std::string> OpenFileName() override { return std::nullopt; }
  bool Confirm(const std::string&, const std::string&) override { return true; }
  void Inform(const std::string&, const std::string&) override {}
};

struct Files : params::CfgStorage {
  std::map<std::string, std::vector<std::uint8_t>> files;
  bool Exists(const std::string& path) override { return files.contains(path); }
  std::optional<std::vector<std::uint8_t>> Read(const std::string&, std::size_t) override { return std::nullopt; }
  void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) override { files[path] = bytes; }
};

struct ErrorEditor : status::ErrorSettingsEditor {
  bool shown = false;
  std::optional<status::ErrorSettingsAnswer> Edit(const status::ErrorSettingsShown&,
                                                  const status::ErrorSettingsCheck&) override {
    shown = true;
    return status::ErrorSettingsAnswer{};
  }
};

struct TableEditor : service::LinTableEditor {
  bool shown = false;
  std::optional<service::LinTableAnswer> Edit(service::LinTableKind, const service::LinTableWords&, bool) override {
    shown = true;
    return service::LinTableAnswer{};
  }
};

class PlausibleReads : public testing::ValveLinkTest {};

TEST_F(PlausibleReads, AReplyWithWordsNoValveHoldsIsAFailedReadAndNothingOfItIsUsed) {
  struct Case {
    const char* what;
    sim::FaultKind fault;
    const char* request;
    int code;
    std::function<void()> run;
    // Whether anything of the reply was shown, kept or saved.
    std::function<bool()> used;
  };
  testing::RecordingView view;
  Files files;
  testing::NoProfileDialog dialog;
  SaveTo questions;
  params::ProfileOperations profiles(port(), valveState_, dialog, questions, files);
  ErrorEditor errors;
  TableEditor table;
  std::uint32_t mask = 0;
  bool known = false;
  bool useTable = false;
  const Case cases[] = {
      {"parameter block", sim::FaultKind::Garbage, "G031", link::ReadBlockCode,
       [&] { params::ReadParameterSet(port(), valveState_, view); },
       [&] { return !view.calls.empty() || valveState_.Held != params::HeldParameters{}; }},
      {"error mask", sim::FaultKind::Noise, "R067", link::ReadParameterCode,
       [&] {
         status::EditErrorSettings(port(), {mask, known}, errors);
       },
       [&] { return errors.shown || known; }},
      {"profile bank", sim::FaultKind::Garbage, "S991=AA551200", link::ReadProfileBankCode,
       [&] { profiles.SaveToFile(); }, [&] { return !files.files.empty(); }},
      {"linearisation table", sim::FaultKind::Garbage, "G035", link::ReadLinTableCode,
       [&] { service::EditLinTable(port(), service::LinTableKind::SolenoidA, useTable, table); },
       [&] { return table.shown; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    valveState_.Held = {};
    reports_.clear();
    valve_.server().injectFault(sim::Fault{c.fault, 0, c.request, 1});
    EXPECT_THROW(c.run(), link::UsbError);
    EXPECT_FALSE(c.used());
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], link::CommErrorText(c.code));
    const Requests sent = requests();
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(), [](const std::string& r) { return r[0] == 'W'; }));
    valve_.clearRequests();
  }
  // The same reads go through without the fault.
  EXPECT_NO_THROW(params::ReadParameterSet(port(), valveState_, view));
  EXPECT_NO_THROW(profiles.SaveToFile());
  EXPECT_EQ(files.files["/cfg/a.cfg"].size(), params::cfgfile::FileBytes);
}

}  // namespace
}  // namespace tvx
