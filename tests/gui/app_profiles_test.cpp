// The main window's openers of the profiles dialog, the error settings and
// the linearisation tables: each opens its dialog on its sequence.
#include "dialog_fixture.h"

#include "params/setup_form.h"
#include "params/valve_state.h"
#include "service/lin_table_form.h"
#include "status/errors_form.h"

#include <QRadioButton>

namespace tvx::apptest {
namespace {

class AppProfilesTest : public ParamsTest {
 protected:
  AppProfilesTest() : ParamsTest(NoLvdt()) {}
  static sim::ValveConfig NoLvdt() {
    sim::ValveConfig c;
    c.lvdt = false;
    return c;
  }
};

TEST_F(AppProfilesTest, ErrorSettingsRightAfterConnectingShowTheValvesMask) {
  Open(3);  // above level 0 connecting reads no parameters
  valve_.model().setParameter(67, 0x003FFFFBu);
  valve_.clearRequests();
  bool ran = false;
  WhileModal<status::TErrorsForm>(
      [](status::TErrorsForm& form) {
        EXPECT_TRUE(form.Err[0]->isChecked());
        EXPECT_FALSE(form.Err[2]->isChecked());
        QTest::mouseClick(form.SendConfig, Qt::LeftButton);
      },
      &ran);
  QTest::mouseClick(pgm_->ErrorSetup, Qt::LeftButton);
  EXPECT_TRUE(ran);
  EXPECT_EQ(valve_.requests(), Requests({"R067", "R115", "R116", "R122", "W067=003FFFFB", "W115=00000041",
                                         "W116=00000046", "W122=00000064"}));
  // Connecting again forgets the mask.
  ClickDisConnect(*pgm_);
  ClickDisConnect(*pgm_);
  EXPECT_FALSE(pgm_->session().valve.ErrorMaskKnown);
}

TEST_F(AppProfilesTest, ProfileButtonAndTableButtonOpenTheirDialogs) {
  OpenAndRead(2);
  valve_.clearRequests();
  WhileModal<params::TSetupForm>([](params::TSetupForm& form) {
    EXPECT_TRUE(form.Set_1->isChecked());
    QTest::mouseClick(form.Set_3, Qt::LeftButton);
    QTest::mouseClick(form.SetActive, Qt::LeftButton);
  });
  QTest::mouseClick(pgm_->SelectSetup, Qt::LeftButton);
  EXPECT_EQ(valve_.requests(), Requests({"G029", "S995=AA55AA02"}));
  EXPECT_EQ(pgm_->SelectSetup->text(), QStringLiteral("Profil nr 3 "));
  EXPECT_EQ(pgm_->session().valve.CurrentProfile, 3);

  valve_.clearRequests();
  WhileModal<service::TLinTableForm>([](service::TLinTableForm& form) {
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8(" Tabela linearyzacji elektromagnesu B"));
    QTest::mouseClick(form.UseTable, Qt::LeftButton);
    QTest::mouseClick(form.SendTable, Qt::LeftButton);
  });
  const bool before = pgm_->session().valve.Held.useTableB;
  QTest::mouseClick(pgm_->LinTable_B, Qt::LeftButton);
  EXPECT_EQ(valve_.requests().front(), "G036");
  EXPECT_EQ(valve_.requests().size(), 23u);
  EXPECT_EQ(pgm_->session().valve.Held.useTableB, !before);
}

}  // namespace
}  // namespace tvx::apptest
