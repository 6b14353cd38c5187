// The main window's wiring of the chart and the set value: the chart opens
// modally with the valve's recorder settings and writes a changed channel
// mask after it has closed; the send button's forms; a marker click.
#include "status_fixture.h"

#include "remote/set_value.h"
#include "trace/chart_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>

namespace tvx::apptest {
namespace {

class RemoteChartWiring : public StatusTest {};

TEST_F(RemoteChartWiring, ChartOpensWithTheValvesSettingsAndWritesTheMaskAfterClosing) {
  pgm_->PWM->setText(QStringLiteral("2000"));
  model().setParameter(109, 0x1F);
  model().setParameter(120, 9);
  bool seen = false;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* chart = qobject_cast<trace::TChartForm*>(QApplication::activeModalWidget());
    if (!chart || chart->acquisition().exchanging()) return;
    poll.stop();
    seen = true;
    EXPECT_EQ(chart->source(), 1);
    QTest::keyRelease(chart, Qt::Key_A);  // coil A off: a new read-out
    EXPECT_EQ(chart->channelMask(), 0x1Eu);
    QTest::mouseClick(chart->Quit, Qt::LeftButton);
  });
  poll.start();
  QTest::mouseClick(pgm_->ShowChart, Qt::LeftButton);
  EXPECT_TRUE(seen);
  const Requests log = valve_.requests();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(Requests(log.begin(), log.begin() + 4), (Requests{"R109", "R120", "W120=00000001", "S011=00000000"}));
  EXPECT_EQ(log.back(), "W109=0000001E");
  EXPECT_TRUE(prompts_->messages().empty());
}

TEST_F(RemoteChartWiring, AnInvalidPwmKeepsTheChartClosed) {
  pgm_->PWM->setText(QStringLiteral("0"));
  QTest::mouseClick(pgm_->ShowChart, Qt::LeftButton);
  EXPECT_EQ(prompts_->messages().size(), 1u);
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(RemoteChartWiring, SendFormsAndMarkers) {
  pgm_->RemoteControl->setChecked(true);
  ASSERT_TRUE(pgm_->SendSetValue->isEnabled());
  QTest::mouseClick(pgm_->Set_Hi, Qt::LeftButton);
  EXPECT_EQ(pgm_->Set_Bar->value(), pgm_->Set_Bar->maximum());
  QTest::mouseClick(pgm_->Set_Mid, Qt::LeftButton);
  EXPECT_EQ(pgm_->Set_Bar->value(), 0);
  pgm_->Set_Bar->setValue(35);
  valve_.clearRequests();
  remote::RecorderStartTime.reset();
  pgm_->SendSetValueMouseUp(Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(remote::RecorderStartTime);
  pgm_->SendSetValueMouseUp(Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(remote::RecorderStartTime);
  EXPECT_EQ(valve_.requests(), (Requests{"S017=40600000", "S003=00000000", "S003=40600000"}));

  // The mouse-up after a press on the button sends wherever the pointer has
  // gone meanwhile; a release without a press on it sends nothing.
  valve_.clearRequests();
  QTest::mousePress(pgm_->SendSetValue, Qt::LeftButton);
  QTest::mouseRelease(pgm_->SendSetValue, Qt::LeftButton, {}, QPoint(-40, 60));
  QTest::mouseRelease(pgm_->SendSetValue, Qt::LeftButton);
  EXPECT_EQ(valve_.requests(), (Requests{"S003=40600000"}));
}

}  // namespace
}  // namespace tvx::apptest
