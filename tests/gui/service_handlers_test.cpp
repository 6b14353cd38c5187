// The main window's service handlers: the service values' send buttons, the
// DAC output and its calibration points, and an opener that takes the ramp
// flag from the valve when the set was not read since connecting.
#include "params_fixture.h"

#include "service/ramp_form.h"
#include "ui/valve_field.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

namespace tvx::apptest {
namespace {

using ServiceHandlersTest = ParamsTest;

TEST_F(ServiceHandlersTest, SendButtonsAndTheDacOutput) {
  OpenAndRead(3);
  valve_.clearRequests();
  pgm_->IN1_4_20_Offset->setText(QStringLiteral("-5"));
  QTest::mouseClick(pgm_->Send_IN1_Offset, Qt::LeftButton);
  QTest::mouseClick(pgm_->Send_LVDT_Gain, Qt::LeftButton);  // unchanged: the word read goes back
  pgm_->Top->trigger();
  EXPECT_EQ(pgm_->DAC_Value->text(), QStringLiteral("4034"));
  EXPECT_EQ(valve_.requests(), (Requests{"W097=C0A00000", "W110=3F800000"}));
  pgm_->EnableDAC_Override->setChecked(true);
  pgm_->DAC_Value->setText(QStringLiteral("5000"));
  valve_.clearRequests();
  QTest::mouseClick(pgm_->Send_DAC, Qt::LeftButton);
  EXPECT_EQ(valve_.requests(), Requests{"S004=00000FFF"});
  EXPECT_EQ(pgm_->DAC_Value->text(), QStringLiteral("4095"));
}

TEST_F(ServiceHandlersTest, RampOkWithoutAReadKeepsTheValvesRamp) {
  valve_.model().setParameter(1, valve_.model().parameter(1) | 1u << 10);
  Open(3);  // no parameter read at level 3
  valve_.clearRequests();
  bool checked = false;
  auto* timer = new QTimer(pgm_.get());
  QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
    auto* form = qobject_cast<service::TRampForm*>(QApplication::activeModalWidget());
    if (!form || !form->isVisible()) return;
    timer->stop();
    checked = form->RampEnable->isChecked();
    QTest::mouseClick(form->SendConfig, Qt::LeftButton);
  });
  timer->start(5);
  QTest::mouseClick(pgm_->RampSetup, Qt::LeftButton);
  EXPECT_TRUE(checked);
  const Requests r = valve_.requests();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(r[4], "R001");
  EXPECT_EQ(r.back(), "S012=AAAAAAAA");
}

}  // namespace
}  // namespace tvx::apptest
