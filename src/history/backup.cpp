#include "history/backup.h"

#include "link/pump_wait.h"
#include "params/cfg_file.h"
#include "params/plausible_words.h"

#include <stdexcept>
#include <string>

namespace tvx::history {

namespace {

constexpr int PauseAfterBankRead = 10;  // ms, as after each bank of a save to a file

// The record's banks as the configuration file the load sequence reads.
class RecordFile : public params::CfgStorage {
 public:
  explicit RecordFile(const ProfileBanks& banks) {
    params::cfgfile::Images images{};
    for (std::size_t bank = 0; bank < images.size(); ++bank)
      for (std::size_t i = 0; i < SetWords; ++i)
        for (std::size_t b = 0; b < 4; ++b)
          images[bank][4 * i + b] = static_cast<std::uint8_t>(banks[bank][i] >> (8 * b));
    bytes_ = params::cfgfile::Compose(images);
  }
  bool Exists(const std::string&) override { return true; }
  std::optional<std::vector<std::uint8_t>> Read(const std::string&, std::size_t limit) override {
    auto bytes = bytes_;
    if (bytes.size() > limit) bytes.resize(limit);
    return bytes;
  }
  void Write(const std::string&, const std::vector<std::uint8_t>&) override {
    throw std::logic_error("a record is not written as a file");
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The load's questions: the record instead of a file dialog, messages as the window shows them.
class RecordQuestions : public params::ProfileQuestions {
 public:
  RecordQuestions(std::string name, view::Questions& questions) : name_(std::move(name)), questions_(questions) {}
  std::optional<std::string> SaveFileName() override { return std::nullopt; }
  std::optional<std::string> OpenFileName() override { return name_; }
  bool Confirm(const std::string& text, const std::string& caption) override {
    return questions_.ask(text, caption, view::Questions::Icon::Question, view::Questions::Buttons::OkCancel) ==
           view::Questions::Answer::Ok;
  }
  void Inform(const std::string& text, const std::string& caption) override {
    questions_.ask(text, caption, view::Questions::Icon::Information, view::Questions::Buttons::Ok);
  }

 private:
  std::string name_;
  view::Questions& questions_;
};

}  // namespace

std::optional<qint64> BackUpProfiles(link::Port& port, HistoryRecorder& recorder) {
  ProfileBanks banks{};
  for (int bank = 0; bank < params::cfgfile::Banks; ++bank) {
    params::cfgfile::Image image{};
    params::ReadProfileImage(port, bank, image.data());
    link::PumpWait(PauseAfterBankRead);
    for (int i = 0; i < SetWords; ++i)
      banks[static_cast<std::size_t>(bank)][static_cast<std::size_t>(i)] = params::cfgfile::ImageWord(image, i);
  }
  return recorder.recordBanks(QString::fromUtf8(BackupOperation), banks);
}

bool RestoreProfiles(link::Port& port, params::ValveState& valve, const ValveRecord& record,
                     params::ProfileDialog& dialog, view::Questions& questions) {
  if (!record.banks) return false;
  const std::string name = "historia, zapis " + std::to_string(record.id);
  const std::string text =
      " Zastąpić profile użytkownika w rozdzielaczu profilami z zapisu " + std::to_string(record.id) + " ? ";
  if (questions.ask(text, " Historia zaworu", view::Questions::Icon::Question,
                    view::Questions::Buttons::YesNoDefaultNo) != view::Questions::Answer::Yes)
    return false;
  RecordFile file(*record.banks);
  RecordQuestions asked(name, questions);
  params::ProfileOperations(port, valve, dialog, asked, file).LoadFromFile();
  return true;
}

}  // namespace tvx::history
