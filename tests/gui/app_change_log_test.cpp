// The window's operations reach the change log through the sequences they call.
#include "link/change_log.h"
#include "params/register_map.h"
#include "params_fixture.h"
#include "support/change_log_lines.h"

#include <fstream>

namespace tvx::apptest {
namespace {

class ChangeLogTest : public ParamsTest {};

TEST_F(ChangeLogTest, ResetFromTheWindowIsOneLineOfTheValveRead) {
  valve_.model().setSerialNumber("SN-42");
  OpenAndRead(2);
  ASSERT_FALSE(link::ChangeLogFile().empty());
  std::filesystem::remove(link::ChangeLogFile());
  QTest::mouseClick(pgm_->RemoteControl, Qt::LeftButton);
  QTest::mouseClick(pgm_->Reset, Qt::LeftButton);

  // Switching remote control (on, and off before the reset) changes no setting.
  // On a failure, the messages shown and the valve's requests say which step broke.
  const auto lines = testing::ChangeLogLines(link::ChangeLogFile());
  const std::vector<QString> shown = MessageTexts();
  EXPECT_EQ(QStringList(shown.begin(), shown.end()).join(u'|').toStdString(), "");
  std::string requests;
  for (const std::string& r : valve_.requests()) requests += r + ' ';
  ASSERT_EQ(lines.size(), 1u) << "requests: " << requests;
  ASSERT_EQ(lines[0].size(), 7u);
  EXPECT_EQ(lines[0][1], "SN-42");
  // The operation, what was sent and the level of the person at the window.
  EXPECT_EQ(std::vector<std::string>(lines[0].begin() + 4, lines[0].end()),
            std::vector<std::string>({"Reset", "S998 = 5555AAAA", "level 2"}));
}

TEST_F(ChangeLogTest, AnUnwritableLogIsToldOnceAfterTheOperations) {
  // A copy, put back at the end (the reference would follow the change).
  const std::filesystem::path file = link::ChangeLogFile();  // NOLINT(performance-unnecessary-copy-initialization)
  testing::TempFolder folder;
  std::ofstream(folder.path() / "taken") << "a file where the folder should be";
  link::SetChangeLogFile(folder.path() / "taken" / "change-log.txt");
  OpenAndRead(2);
  for (int i = 0; i < 2; ++i) pgm_->WriteParameters->click();
  QCoreApplication::processEvents();
  link::SetChangeLogFile(file);

  EXPECT_EQ(valve_.model().commandCount(params::cmd::StoreParameters), 2u);
  ASSERT_EQ(prompts_->messages().size(), 1u);
  EXPECT_EQ(prompts_->messages()[0].caption, QStringLiteral(" Dziennik zmian"));
  EXPECT_EQ(prompts_->messages()[0].icon, ui::Prompts::Icon::Warning);
}

}  // namespace
}  // namespace tvx::apptest
