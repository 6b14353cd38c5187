// The error settings dialog against the simulated valve: what it shows from
// the valve's words, the critical boxes' colour, and what OK sends.
#include "dialog_fixture.h"

#include "status/errors_form.h"
#include "ui/valve_field.h"

#include <QCheckBox>
#include <QPushButton>

namespace tvx::apptest {
namespace {

using status::TErrorsForm;

class ErrorsFormTest : public DialogTest {};

// What the box shows beside its caption.
bool Red(QCheckBox* box) { return box->grab().toImage().pixelColor(box->width() - 2, 2) == QColor(Qt::red); }

TEST_F(ErrorsFormTest, CriticalBoxesAreRedWhileCleared) {
  TErrorsForm form;
  for (QCheckBox* box : {form.Err[0], form.Err[1], form.Err[2]}) EXPECT_TRUE(Red(box));
  form.Err[1]->setChecked(true);
  EXPECT_FALSE(Red(form.Err[1]));
  QTest::mouseClick(form.Err[1], Qt::LeftButton);
  EXPECT_TRUE(Red(form.Err[1]));
  form.Err[5]->setChecked(false);
  EXPECT_FALSE(Red(form.Err[5]));
  // The time field sits at the end of error 10's caption.
  EXPECT_GE(form.StartDelay->x(), form.Err[9]->geometry().right());
  EXPECT_EQ(form.StartDelay->y(), form.Err[9]->y());
}

TEST_F(ErrorsFormTest, ShowsTheValvesSettingsAndSendsWhatTheDialogHolds) {
  valve_.model().setParameter(67, 0x00000013u);  // errors 1, 2 and 5
  valve_.model().setParameter(115, 200);
  bool ran = false;
  WhileModal<TErrorsForm>(
      [](TErrorsForm& form) {
        EXPECT_TRUE(form.Err[0]->isChecked());
        EXPECT_FALSE(form.Err[2]->isChecked());
        EXPECT_TRUE(form.Err[4]->isChecked());
        EXPECT_EQ(form.Warn_Limit->text(), QStringLiteral("125"));
        EXPECT_EQ(form.Stop_Limit->text(), QStringLiteral("70"));
        EXPECT_EQ(form.StartDelay->text(), QStringLiteral("100"));
        QTest::mouseClick(form.Err[4], Qt::LeftButton);
        form.Stop_Limit->selectAll();
        QTest::keyClicks(form.Stop_Limit, QStringLiteral("8x0"));
        QTest::mouseClick(form.SendConfig, Qt::LeftButton);
      },
      &ran);
  std::uint32_t mask = 0;
  bool known = false;
  TErrorsForm form;
  status::EditErrorSettings(port(), {mask, known}, form);
  EXPECT_TRUE(ran);
  // Connected without a parameter read: the valve's mask is read first. The
  // alarm threshold shown clamped goes back as shown.
  EXPECT_EQ(valve_.requests(), Requests({"R067", "R115", "R116", "R122", "W067=00000003", "W115=0000007D",
                                         "W116=00000050", "W122=00000064"}));
  EXPECT_EQ(mask, 3u);
}

}  // namespace
}  // namespace tvx::apptest
