// The profiles dialog against the simulated valve: choosing a profile, a real
// configuration file saved and loaded, Esc and Cancel while a load runs, and
// a dialog that is usable again after a failed save.
#include "dialog_fixture.h"

#include "params/cfg_file.h"
#include "params/setup_form.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include <fstream>

namespace tvx::apptest {
namespace {

using params::TSetupForm;

class SetupFormTest : public DialogTest {
 protected:
  std::vector<std::uint8_t> UserBanksAsFile() {
    params::cfgfile::Images images;
    for (int b = 0; b < 3; ++b) {
      const sim::Bank bank = valve_.model().userBank(b);
      std::copy(bank.begin(), bank.end(), images[b].begin());
    }
    return params::cfgfile::Compose(images);
  }
  static std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static bool Idle(const TSetupForm& form) {
    return form.Options->menuAction()->isEnabled() && form.SetActive->isEnabled() && form.Cancel->isEnabled() &&
           form.windowTitle() == QString::fromUtf8(" Profile ustawień");
  }
};

TEST_F(SetupFormTest, ChoosingAProfileMakesItActiveAndCaptionsTheButton) {
  valve_.model().setState(29, 1);
  QPushButton selectSetup(QStringLiteral("Profil"));
  params::SetupFormSelection selection(port(), valveState_, nullptr, &selectSetup, 1);
  bool ran = false;
  WhileModal<TSetupForm>(
      [](TSetupForm& form) {
        EXPECT_TRUE(form.Set_2->isChecked());
        // Copying to the factory set and typical values need level 2.
        EXPECT_FALSE(form.UserToFactoryAll->isVisible());
        EXPECT_FALSE(form.DefaultOne->isVisible());
        EXPECT_TRUE(form.FactoryToUserAll->isVisible());
        QTest::mouseClick(form.Set_3, Qt::LeftButton);
        QTest::mouseClick(form.SetActive, Qt::LeftButton);
      },
      &ran);
  params::SelectProfile(port(), valveState_, selection);
  EXPECT_TRUE(ran);
  EXPECT_EQ(valve_.requests(), Requests({"G029", "S995=AA55AA02"}));
  EXPECT_EQ(selectSetup.text(), QStringLiteral("Profil nr 3 "));
  EXPECT_EQ(valve_.model().activeProfile(), 2);
}

TEST_F(SetupFormTest, SaveWritesTheFileAndEscDuringALoadStopsItAfterTheBank) {
  testing::TempFolder folder;
  const std::filesystem::path path = folder.path() / "maszyna.cfg";
  TSetupForm form(port(), valveState_, 2);
  form.show();
  prompts_->queueFileName(QString::fromStdString(path.string()));
  form.MemoryToFile->trigger();
  const std::vector<std::uint8_t> saved = UserBanksAsFile();
  EXPECT_EQ(FileBytes(path), saved);
  // The save asks its own overwrite question; the file dialog must not ask too.
  ASSERT_EQ(prompts_->shown().size(), 1u);
  EXPECT_FALSE(prompts_->shown()[0].request.confirmOverwrite);
  EXPECT_EQ(prompts_->shown()[0].request.defaultSuffix, QStringLiteral("cfg"));
  EXPECT_TRUE(Idle(form));

  // Another value in profile 1; loading the file brings the saved one back.
  sim::Bank changed = valve_.model().userBank(0);
  changed[8] ^= 0xFF;
  valve_.model().setUserBank(0, changed);
  valve_.clearRequests();
  bool checked = false;
  QTimer::singleShot(300, [&] {
    checked = true;
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8(" Odczyt ustawień, proszę czekać..."));
    EXPECT_FALSE(form.Options->menuAction()->isEnabled());
    EXPECT_FALSE(form.SetActive->isEnabled());
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Cancel->isEnabled());
  });
  prompts_->queueFileName(QString::fromStdString(path.string()));
  form.FileToMemory->trigger();
  EXPECT_TRUE(checked);
  EXPECT_EQ(valve_.requests().size(), 1u + 130u);
  EXPECT_EQ(valve_.requests().back(), "S990=AA55AA00");
  const sim::Bank restored = valve_.model().userBank(0);
  EXPECT_TRUE(std::equal(restored.begin(), restored.end(), saved.begin() + 4));
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(Idle(form));
  EXPECT_TRUE(prompts_->messages().empty());

  QTest::mouseClick(form.Cancel, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(SetupFormTest, AFailedWriteIsReportedAndLeavesTheDialogUsable) {
  testing::TempFolder folder;
  const std::filesystem::path path = folder.path() / "brak" / "maszyna.cfg";
  TSetupForm form(port(), valveState_, 2);
  form.show();
  prompts_->queueFileName(QString::fromStdString(path.string()));
  form.MemoryToFile->trigger();
  EXPECT_EQ(valve_.requests(), Requests({"G029", "S991=AA550200", "S991=AA551200", "S991=AA552200"}));
  ASSERT_EQ(prompts_->messages().size(), 1u);
  // The message names the file.
  EXPECT_TRUE(prompts_->messages()[0].text.contains(QString::fromStdString(path.string())))
      << prompts_->messages()[0].text.toStdString();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(Idle(form));
  EXPECT_TRUE(form.Set_1->isChecked());
}

}  // namespace
}  // namespace tvx::apptest
