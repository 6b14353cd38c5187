#include "params/profiles.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/protocol.h"
#include "link/pump_wait.h"
#include "params/cfg_file.h"
#include "params/plausible_words.h"
#include "params/register_map.h"
#include "scope_guard.h"

#include <utility>

namespace tvx::params {

namespace {

using namespace profiletext;

constexpr int PauseAfterCommand = 10;  // ms after 988, 990, a bank read and register 29
constexpr int PauseAfterWord = 5;      // ms after each word of a profile being loaded

std::string FileMessage(const char* text, const std::string& path) { return text + path + "   "; }

// A command about to go out may change the valve's working parameters (a
// profile made active, typical values) or what a profile holds: the held
// error mask is no longer known to be the valve's, and the error settings read
// register 67 again before they write it.
void WorkingSetMayChange(ValveState& valve) { valve.ErrorMaskKnown = false; }

}  // namespace

// ---- choosing the active profile ------------------------------------------------

std::int64_t ProfileNumber(std::uint32_t register29) { return std::int64_t{register29} + 1; }

std::optional<int> ProfileButton(std::int64_t number) {
  if (number >= 1 && number <= cfgfile::Banks) return static_cast<int>(number);
  return std::nullopt;
}

std::string ProfileButtonCaption(std::int64_t number) { return "Profil nr " + std::to_string(number) + " "; }

void SelectProfile(link::Port& port, ValveState& valve, ProfileSelection& selection) {
  std::int64_t& current = valve.CurrentProfile;
  current = ProfileNumber(link::ReadRegister(port, state::ActiveProfile));
  if (const std::optional<int> chosen = selection.Choose(ProfileButton(current))) {
    current = *chosen;
    selection.ShowProfile(current);
    link::ChangeLogScope logged("Wybierz");
    WorkingSetMayChange(valve);
    link::SendCommand(port, cmd::SelectProfile, ProfileArgumentBase + static_cast<std::uint32_t>(*chosen - 1));
  }
  if (current >= 1 && current <= 9) selection.ShowProfile(current);
}

// ---- the profiles dialog ----------------------------------------------------------

// A save or a load: the dialog is busy meanwhile; afterwards, also after a
// failed exchange or file error, it is usable again with the active profile's
// radio button checked and no stop request left.
class ProfileOperations::FileOperation {
 public:
  FileOperation(ProfileOperations& ops, ProfileBusy busy) : ops_(ops) { ops_.dialog_.SetBusy(busy); }
  ~FileOperation() {
    if (current_ >= 0) ops_.dialog_.CheckBank(current_);
    ops_.stopRequested_ = false;
    ops_.dialog_.SetBusy(ProfileBusy::None);
  }
  FileOperation(const FileOperation&) = delete;
  FileOperation& operator=(const FileOperation&) = delete;

  // Register 29 names the active bank; a value above 2 counts as bank 0.
  void ReadCurrentBank() {
    const std::uint32_t bank = link::ReadRegister(ops_.port_, state::ActiveProfile);
    current_ = bank > 2 ? 0 : static_cast<int>(bank);
    link::PumpWait(PauseAfterCommand);
  }

 private:
  ProfileOperations& ops_;
  int current_ = -1;
};

ProfileOperations::ProfileOperations(link::Port& port, ValveState& valve, ProfileDialog& dialog,
                                     ProfileQuestions& questions, CfgStorage& storage)
    : port_(port), valve_(valve), dialog_(dialog), questions_(questions), storage_(storage) {}

void ProfileOperations::Command(int command, std::uint32_t argument) { link::SendCommand(port_, command, argument); }

void ProfileOperations::SaveToFile() {
  dialog_.MarkProfiles(0);
  std::optional<std::string> path;
  for (;;) {
    path = questions_.SaveFileName();
    if (!path) return;
    if (!storage_.Exists(*path) || questions_.Confirm(Overwrite + *path + "  ", OverwriteCaption)) break;
  }

  FileOperation run(*this, ProfileBusy::File);
  run.ReadCurrentBank();
  // All three banks first: a failed read must not leave a truncated file
  // where a good one was.
  cfgfile::Images images;
  for (int bank = 0; bank < cfgfile::Banks; ++bank) {
    dialog_.CheckBank(bank);
    ReadProfileImage(port_, bank, images[bank].data());
    link::PumpWait(PauseAfterCommand);
  }
  storage_.Write(*path, cfgfile::Compose(images));
}

CfgFileCheck JudgeCfgFile(CfgStorage& storage, const std::string& path, bool needComplete) {
  // One byte beyond the largest file tells a longer one.
  std::optional<std::vector<std::uint8_t>> file = storage.Read(path, cfgfile::FileBytes + 1);
  if (!file) return {std::nullopt, FileMessage(OpenError, path)};
  const cfgfile::Contents contents = cfgfile::Inspect(*file);
  if (!contents.versionOk) return {std::nullopt, FileMessage(VersionError, path)};
  // After the images come both check words or nothing: a file cut inside
  // them, or one with more after them, is not one this program wrote.
  if (file->size() > cfgfile::ImagesEnd && file->size() != cfgfile::FileBytes)
    return {std::nullopt, FileMessage(StructureError, path)};
  // A file with check words that do not match is damaged: nothing of it goes
  // into the valve. Old files without them still load.
  if (contents.check == cfgfile::CheckWords::Invalid || (needComplete && contents.completeImages < cfgfile::Banks))
    return {std::nullopt, FileMessage(StructureError, path)};
  return {std::move(file), {}};
}

std::optional<std::vector<std::uint8_t>> ProfileOperations::ReadCfgFile(const std::string& path, bool needComplete) {
  CfgFileCheck check = JudgeCfgFile(storage_, path, needComplete);
  if (!check.bytes) questions_.Inform(check.problem, ErrorCaption);
  return std::move(check.bytes);
}

void ProfileOperations::SendBank(int bank, const std::vector<std::uint8_t>& file) {
  const auto image = cfgfile::ImageOf(file, bank);
  Command(cmd::BeginProfileLoad, ProfileBulkArgument);
  link::PumpWait(PauseAfterCommand);
  for (int i = 0; i < ParameterWords; ++i) {
    Command(cmd::ProfileWord, cfgfile::ImageWord(image, i));
    link::PumpWait(PauseAfterWord);
  }
  Command(cmd::StoreProfileBank, ProfileArgumentBase + static_cast<std::uint32_t>(bank));
  link::PumpWait(PauseAfterCommand);
}

void ProfileOperations::LoadFromFile() {
  // A Cancel pressed during an earlier save must not stop this load.
  stopRequested_ = false;
  storedProfiles_ = 0;
  dialog_.MarkProfiles(0);
  const std::optional<std::string> path = questions_.OpenFileName();
  if (!path) return;

  FileOperation run(*this, ProfileBusy::Loading);
  run.ReadCurrentBank();
  link::ChangeLogScope logged("Pobierz profile użytkownika z pliku konfiguracyjnego " + *path);

  const std::optional<std::vector<std::uint8_t>> file = ReadCfgFile(*path, false);
  if (!file) return;
  const int complete = cfgfile::Inspect(*file).completeImages;
  WorkingSetMayChange(valve_);
  for (int bank = 0; bank < cfgfile::Banks; ++bank) {
    dialog_.CheckBank(bank);
    if (bank >= complete) {
      // The banks loaded before stay loaded.
      questions_.Inform(FileMessage(StructureError, *path), ErrorCaption);
      return;
    }
    try {
      SendBank(bank, *file);
    } catch (const link::UsbError&) {
      // The link error has been shown; the user learns what the valve holds now.
      questions_.Inform(PartialLoadText(storedProfiles_), ErrorCaption);
      throw;
    }
    // The bank's store command has been answered.
    ++storedProfiles_;
    if (stopRequested_) break;
  }
  // The history keeps what the three banks hold now, when it knows all of them.
  if (storedProfiles_ == cfgfile::Banks) {
    std::vector<std::uint32_t> words;
    for (int bank = 0; bank < cfgfile::Banks; ++bank) {
      const auto image = cfgfile::ImageOf(*file, bank);
      for (int i = 0; i < ParameterWords; ++i) words.push_back(cfgfile::ImageWord(image, i));
    }
    link::NoteProfileBanks(std::move(words));
  }
}

std::string PartialLoadText(int storedProfiles) {
  const auto list = [](int from, int to) {
    std::string text;
    for (int n = from; n <= to; ++n) text += (n > from ? ", " : "") + std::to_string(n);
    return text;
  };
  std::string text;
  if (storedProfiles > 0) text += " Zapisane profile: " + list(1, storedProfiles) + " \n";
  if (storedProfiles < cfgfile::Banks) text += " Profile bez zmian: " + list(storedProfiles + 1, cfgfile::Banks) + " ";
  return text;
}

void ProfileOperations::CopyUserToFactory() {
  dialog_.MarkProfiles(0);
  dialog_.SetBusy(ProfileBusy::Command);
  const ScopeGuard restore([&] { dialog_.SetBusy(ProfileBusy::None); });
  link::ChangeLogScope logged("Skopiuj profile użytkownika do profilów fabrycznych");
  WorkingSetMayChange(valve_);
  Command(cmd::UserToFactory, ProfileBulkArgument);
}

void ProfileOperations::CopyFactoryToUser() {
  dialog_.MarkProfiles(0);
  dialog_.SetBusy(ProfileBusy::Command);
  const ScopeGuard restore([&] { dialog_.SetBusy(ProfileBusy::None); });
  link::ChangeLogScope logged("Skopiuj profile fabryczne do profilów użytkownika");
  WorkingSetMayChange(valve_);
  Command(cmd::FactoryToUser, ProfileBulkArgument);
}

void ProfileOperations::RestoreCheckedProfile() {
  dialog_.MarkProfiles(0);
  dialog_.SetBusy(ProfileBusy::Command);
  const ScopeGuard restore([&] { dialog_.SetBusy(ProfileBusy::None); });
  const std::optional<int> profile = dialog_.CheckedProfile();
  if (!profile) {
    dialog_.Beep();
    return;
  }
  link::ChangeLogScope logged("Przywróć wybrany profil ustawień z profilów fabrycznych");
  WorkingSetMayChange(valve_);
  Command(cmd::RestoreProfile, RestoreProfileBase + static_cast<std::uint32_t>(*profile - 1));
}

void ProfileOperations::CompareWithFactory() {
  dialog_.SetBusy(ProfileBusy::Command);
  const ScopeGuard restore([&] { dialog_.SetBusy(ProfileBusy::None); });
  const std::uint32_t answer = link::SendCommand(port_, cmd::CompareProfiles, CompareProfilesArgument);
  dialog_.MarkProfiles(answer & 7u);
  questions_.Inform((answer & 0xFFFFu) != 0 ? Different : Same, CompareCaption);
}

void ProfileOperations::CompareWithFile() {
  dialog_.MarkProfiles(0);
  const std::optional<std::string> path = questions_.OpenFileName();
  if (!path) return;
  dialog_.SetBusy(ProfileBusy::File);
  const ScopeGuard restore([&] { dialog_.SetBusy(ProfileBusy::None); });
  const std::optional<std::vector<std::uint8_t>> file = ReadCfgFile(*path, true);
  if (!file) return;

  int differing[cfgfile::Banks] = {};
  std::uint32_t changed = 0;
  for (int bank = 0; bank < cfgfile::Banks; ++bank) {
    cfgfile::Image image;
    ReadProfileImage(port_, bank, image.data());
    link::PumpWait(PauseAfterCommand);
    differing[bank] = cfgfile::DifferingWords(image, cfgfile::ImageOf(*file, bank));
    if (differing[bank] != 0) changed |= 1u << bank;
  }
  dialog_.MarkProfiles(changed);
  questions_.Inform(FileComparisonText(*path, differing), CompareCaption);
}

void ProfileOperations::WriteTypicalValues() {
  dialog_.MarkProfiles(0);
  link::ChangeLogScope logged("Wpisz do aktualnych ustawień rozdzielacza wartości typowe");
  WorkingSetMayChange(valve_);
  Command(cmd::TypicalValues, proto::OneShot);
}

std::string FileComparisonText(const std::string& path, const int (&differingWords)[3]) {
  std::string text = "Porównanie profili użytkownika z plikiem:\n" + path + "\n";
  for (int bank = 0; bank < cfgfile::Banks; ++bank) {
    text += "\nProfil " + std::to_string(bank + 1);
    if (differingWords[bank] == 0) text += ": zgodny z plikiem.";
    else
      text += ": różny od pliku, różnych słów: " + std::to_string(differingWords[bank]) + " z " +
              std::to_string(ParameterWords) + ".";
  }
  return text + "  ";
}

}  // namespace tvx::params
