// The window's operations reach the change log through the sequences they call.
#include "link/change_log.h"
#include "params_fixture.h"
#include "support/change_log_lines.h"

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
  const auto lines = testing::ChangeLogLines(link::ChangeLogFile());
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 6u);
  EXPECT_EQ(lines[0][1], "SN-42");
  EXPECT_EQ(std::vector<std::string>(lines[0].begin() + 4, lines[0].end()),
            std::vector<std::string>({"Reset", "S998 = 5555AAAA"}));
}

}  // namespace
}  // namespace tvx::apptest
