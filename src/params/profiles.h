// The valve's profiles: choosing the active one, copying between the user and
// the factory sets, comparing them, typical values, and moving the three user
// profiles between the valve's EEPROM and a configuration file.
//
// The sequences talk to the valve through the link and show their progress
// through ProfileDialog (the profiles dialog implements it); they ask through
// ProfileQuestions and reach files through CfgStorage, so they run without a
// widget. Texts are UTF-8 with "\n" line breaks.
#pragma once

#include "link/port.h"
#include "params/valve_state.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvx::params {

// ---- choosing the active profile ------------------------------------------------

// The current profile number from state register 29 (the number less one),
// computed without overflow.
std::int64_t ProfileNumber(std::uint32_t register29);
// The radio button (1..3) that shows a profile number, if there is one.
std::optional<int> ProfileButton(std::int64_t number);
// "Profil nr " + number + " ".
std::string ProfileButtonCaption(std::int64_t number);

// What choosing a profile needs from the window: the dialog, and the caption
// of the main window's profile button.
class ProfileSelection {
 public:
  virtual ~ProfileSelection() = default;
  // Shows the dialog with the button of `button` checked (none without one);
  // the profile chosen with " Wybierz ", or nothing.
  virtual std::optional<int> Choose(std::optional<int> button) = 0;
  // The main window's profile button shows this profile number.
  virtual void ShowProfile(std::int64_t number) = 0;
};

// Reads the current profile into the valve's CurrentProfile, lets the user
// choose and makes the chosen one active (command 995); CurrentProfile then
// holds it.
void SelectProfile(link::Port& port, ValveState& valve, ProfileSelection& selection);

// ---- the profiles dialog ----------------------------------------------------------

// What the dialog shows while an operation runs.
enum class ProfileBusy {
  None,     // everything usable; Cancel closes the dialog
  File,     // saving or comparing with a file: menu and " Wybierz " off, Cancel does not close
  Loading,  // as File, with the caption " Odczyt ustawień, proszę czekać..."
  Command,  // a copy or comparison in the valve: menu, choice, " Wybierz " and Cancel off
};

class ProfileDialog {
 public:
  virtual ~ProfileDialog() = default;
  // Checks the radio button of a bank (0..2); any other value checks none.
  virtual void CheckBank(int bank) = 0;
  // The checked profile (1..3), if any.
  virtual std::optional<int> CheckedProfile() const = 0;
  // The profile labels: bit n-1 set shows profile n changed (red).
  virtual void MarkProfiles(std::uint32_t changed) = 0;
  virtual void SetBusy(ProfileBusy busy) = 0;
  virtual void Beep() = 0;
};

class ProfileQuestions {
 public:
  virtual ~ProfileQuestions() = default;
  // The file dialogs for *.cfg files; nothing when cancelled.
  virtual std::optional<std::string> SaveFileName() = 0;
  virtual std::optional<std::string> OpenFileName() = 0;
  // A question with OK and Cancel; true for OK.
  virtual bool Confirm(const std::string& text, const std::string& caption) = 0;
  // A message with an information icon.
  virtual void Inform(const std::string& text, const std::string& caption) = 0;
};

// Whole files, read and written. Errors throw with the system's text.
class CfgStorage {
 public:
  virtual ~CfgStorage() = default;
  virtual bool Exists(const std::string& path) = 0;
  // At most `limit` bytes from the start of the file; nothing when it cannot
  // be opened.
  virtual std::optional<std::vector<std::uint8_t>> Read(const std::string& path, std::size_t limit) = 0;
  // Replaces the file with `bytes`; a failed write leaves the old file as it was.
  virtual void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;
};

// A configuration file judged before anything of it is sent: its bytes, or
// the message that tells what is wrong with it (caption profiletext::ErrorCaption).
// `needComplete`: a file without all three images is refused too.
struct CfgFileCheck {
  std::optional<std::vector<std::uint8_t>> bytes;
  std::string problem;
};
CfgFileCheck JudgeCfgFile(CfgStorage& storage, const std::string& path, bool needComplete);

// The operations of the dialog's menu, and the stop request of a file load.
class ProfileOperations {
 public:
  ProfileOperations(link::Port& port, ValveState& valve, ProfileDialog& dialog, ProfileQuestions& questions,
                    CfgStorage& storage);

  // The three user profiles into a configuration file.
  void SaveToFile();
  // A configuration file into the three user profiles in the valve's EEPROM.
  void LoadFromFile();
  // All user profiles to the factory set, or the other way round.
  void CopyUserToFactory();
  void CopyFactoryToUser();
  // The checked profile from its factory copy.
  void RestoreCheckedProfile();
  // Asks the valve which user profiles differ from their factory copies.
  void CompareWithFactory();
  // Reads the three user profiles and tells which differ from a file.
  void CompareWithFile();
  // Typical values into the valve's current settings.
  void WriteTypicalValues();

  // Cancel during a load: the load stops after the bank in progress.
  void RequestStop() { stopRequested_ = true; }
  bool StopRequested() const { return stopRequested_; }
  // How many profiles (from profile 1 on) the last load stored in the EEPROM.
  int StoredProfiles() const { return storedProfiles_; }

 private:
  class FileOperation;
  // The header and check words of a file, with the user told what is wrong;
  // nothing when it is refused.
  std::optional<std::vector<std::uint8_t>> ReadCfgFile(const std::string& path, bool needComplete);
  void SendBank(int bank, const std::vector<std::uint8_t>& file);
  void Command(int command, std::uint32_t argument);

  link::Port& port_;
  ValveState& valve_;
  ProfileDialog& dialog_;
  ProfileQuestions& questions_;
  CfgStorage& storage_;
  bool stopRequested_ = false;
  int storedProfiles_ = 0;
};

// The texts of the dialog.
namespace profiletext {
inline constexpr const char* Overwrite = " Zastąpić istniejący plik ?  \n\n ";
inline constexpr const char* OverwriteCaption = " Konfiguracja";
inline constexpr const char* OpenError = "Błąd otwarcia pliku:\n\n";
inline constexpr const char* VersionError = "Nieprawidłowa wersja pliku konfiguracyjnego:  \n\n";
inline constexpr const char* StructureError = "Błędna struktura pliku:\n\n";
inline constexpr const char* ErrorCaption = " Błąd";
inline constexpr const char* CompareCaption = "Wynik porównania";
inline constexpr const char* Different =
    "Ustawienia użytkownika są różne od ustawień fabrycznych.  \nZmienione profile zostały wyróżnione  czerwonym  "
    "kolorem. ";
inline constexpr const char* Same = "Ustawienia użytkownika zgodne z ustawieniami fabrycznymi.  ";
}  // namespace profiletext

// After a load broken off by a link failure: which profiles were stored and
// which keep what they held, e.g. " Zapisane profile: 1, 2 \n Profile bez zmian: 3 ".
std::string PartialLoadText(int storedProfiles);

// The report of a comparison with a file: one line per profile.
std::string FileComparisonText(const std::string& path, const int (&differingWords)[3]);

}  // namespace tvx::params
