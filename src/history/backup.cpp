#include "history/backup.h"

#include "link/pump_wait.h"
#include "params/cfg_file.h"
#include "params/plausible_words.h"

namespace tvx::history {

namespace {
constexpr int PauseAfterBankRead = 10;  // ms, as after each bank of a save to a file
}  // namespace

std::optional<qint64> BackUpProfiles(HistoryRecorder& recorder) {
  ProfileBanks banks{};
  for (int bank = 0; bank < params::cfgfile::Banks; ++bank) {
    params::cfgfile::Image image{};
    params::ReadProfileImage(bank, image.data());
    link::PumpWait(PauseAfterBankRead);
    for (int i = 0; i < SetWords; ++i)
      banks[static_cast<std::size_t>(bank)][static_cast<std::size_t>(i)] = params::cfgfile::ImageWord(image, i);
  }
  return recorder.recordBanks(QString::fromUtf8(BackupOperation), banks);
}

}  // namespace tvx::history
