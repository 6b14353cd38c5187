// The main window's wiring of the outputs the valve keeps driving: the marker
// near the set value, the question on "Rozłącz", on closing the window and on
// closing the manual PWM dialog; and a pulled cable with no exchange running.
#include "status_fixture.h"

#include "remote/live_outputs.h"
#include "remote/set_pwm_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>

namespace tvx::apptest {
namespace {

using Answer = ui::Prompts::Answer;

class OutputsWiring : public StatusTest {
 protected:
  OutputsWiring() : StatusTest(3) {}
  QString Marker() const { return pgm_->OutputsOn->text(); }
  std::vector<testing::ScriptedPrompts::Shown> Questions() const {
    std::vector<testing::ScriptedPrompts::Shown> q;
    for (const auto& m : prompts_->messages())
      if (m.caption == QString::fromUtf8(remote::SwitchOffCaption)) q.push_back(m);
    return q;
  }
  void Reconnect() {
    ClickDisConnect(*pgm_);
    ASSERT_TRUE(pgm_->port().PortOpen.load());
    valve_.clearRequests();
    prompts_->clear();
  }
};

TEST_F(OutputsWiring, MarkerAndQuestionsOnDisconnectOnClosingAndAfterTheDialog) {
  EXPECT_TRUE(Marker().isEmpty());
  QTest::mouseClick(pgm_->RemoteControl, Qt::LeftButton);
  QTest::mouseClick(pgm_->EnableDAC_Override, Qt::LeftButton);
  EXPECT_EQ(Marker(), Utf8("Włączone: DAC ręcznie, sterowanie zdalne"));
  EXPECT_TRUE(Shown(pgm_->OutputsOn));

  // "Nie": the valve keeps them, nothing is sent, the port closes.
  valve_.clearRequests();
  prompts_->queueAnswer(Answer::No);
  ClickDisConnect(*pgm_);
  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_TRUE(valve_.requests().empty());
  EXPECT_FALSE(pgm_->port().PortOpen.load());
  EXPECT_TRUE(Marker().isEmpty());

  // "Tak": switched off with the commands that switch each output off before the port closes.
  Reconnect();
  QTest::mouseClick(pgm_->RemoteControl, Qt::LeftButton);
  valve_.clearRequests();
  ClickDisConnect(*pgm_);
  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_EQ(valve_.requests(), (Requests{"S001=55555555", "G002"}));
  EXPECT_FALSE(pgm_->RemoteControl->isChecked());
  EXPECT_FALSE(pgm_->port().PortOpen.load());

  // The manual PWM dialog asks about manual PWM when it closes.
  Reconnect();
  bool shown = false;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* form = qobject_cast<remote::TSetPWMForm*>(QApplication::activeModalWidget());
    if (!form) return;
    poll.stop();
    shown = true;
    QTest::mouseClick(form->Enable_PWM_A, Qt::LeftButton);
    QTest::mouseClick(form->SendPWM, Qt::LeftButton);
    QTest::mouseClick(form->Done, Qt::LeftButton);
  });
  poll.start();
  QTest::mouseClick(pgm_->PWM_Manual, Qt::LeftButton);
  ASSERT_TRUE(shown);
  EXPECT_EQ(Questions().size(), 1u);
  const Requests log = valve_.requests();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(Requests(log.end() - 2, log.end()), (Requests{"S018=00000000", "S019=00000000"}));
  EXPECT_TRUE(Marker().isEmpty());

  // Closing the window waits for the answer and switches off first.
  QTest::mouseClick(pgm_->RemoteControl, Qt::LeftButton);
  valve_.clearRequests();
  prompts_->clear();
  pgm_->close();
  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_EQ(valve_.requests(), (Requests{"S001=55555555", "G002"}));
}

// The cable pulled while nothing is exchanged: the window finds the port lost
// by itself, closes it as after a failed exchange without asking anything,
// and no live value stays shown as if it were live.
TEST_F(OutputsWiring, APulledCableWithNoExchangeClosesThePortAndGreysTheValues) {
  Refresh();
  ASSERT_NE(pgm_->Info_Usupply->text(), QStringLiteral("---"));
  QTest::mouseClick(pgm_->RemoteControl, Qt::LeftButton);
  prompts_->clear();
  valve_.server().stop();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !pgm_->port().PortOpen.load(); }, 5000));
  EXPECT_TRUE(prompts_->messages().empty());
  EXPECT_EQ(pgm_->PortState->brushColor(), QColor(255, 0, 0));
  EXPECT_EQ(pgm_->DisConnect->text(), Utf8("&Połącz"));
  for (QWidget* w : std::initializer_list<QWidget*>{pgm_->Info_Usupply, pgm_->Info_Temp, pgm_->Coil_A_Peak,
                                                    pgm_->Coil_B_Set, pgm_->Info_Lvdt_PID})
    EXPECT_EQ(static_cast<QLabel*>(w)->text(), QStringLiteral("---")) << w->objectName().toStdString();
  EXPECT_EQ(pgm_->DAC_Value->text(), QStringLiteral("---"));
  EXPECT_TRUE(Marker().isEmpty());
}

}  // namespace
}  // namespace tvx::apptest
