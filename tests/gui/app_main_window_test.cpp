// The main window as it comes up: its components, tags, texts and start-up
// state, and its keyboard shortcuts.
#include "app_main_window_fixture.h"

#include "link/port.h"
#include "app/caption_layout.h"
#include "program_info.h"
#include "status/status_text.h"
#include "ui/widgets.h"

#include <QDialog>

#include <QGroupBox>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

namespace tvx::apptest {
namespace {

using app::TPgm;

class MainWindowTest : public ::testing::Test {
 protected:
  IsolatedPorts ports_;
};

TEST_F(MainWindowTest, FixedSizeAndCaption) {
  auto pgm = MainWindowAt(0);
  EXPECT_EQ(pgm->size(), QSize(702, 522));
  EXPECT_EQ(pgm->minimumSize(), pgm->maximumSize());
  const QString caption = pgm->windowTitle();
  EXPECT_TRUE(caption.startsWith(QStringLiteral(" Tarvelmundix rozdzielaczy  "))) << caption.toStdString();
  EXPECT_TRUE(caption.endsWith(QString::fromUtf8(app::CaptionNotice)));
  EXPECT_EQ(caption, TPgm::BuildCaption());
}

TEST_F(MainWindowTest, StartUpState) {
  app::FirstReadPending = false;
  app::FirmwareText = "old";
  auto pgm = MainWindowAt(1);
  EXPECT_TRUE(app::FirstReadPending);
  EXPECT_TRUE(app::FirmwareText.empty());
  EXPECT_FALSE(app::DetailMode);
  EXPECT_FALSE(pgm->port().PortLock.test());
  EXPECT_TRUE(pgm->port().ReceiverRun.load());

  EXPECT_EQ(pgm->SoftVer->text(), QStringLiteral("Software: V1.4   03-11-2022"));
  EXPECT_EQ(pgm->Options->currentIndex(), 0);
  EXPECT_EQ(pgm->Options->count(), 3);
  EXPECT_EQ(pgm->Options->tabText(0), QStringLiteral("Pomiary"));
  EXPECT_EQ(pgm->Options->tabText(1), QStringLiteral("Serwis"));
  EXPECT_EQ(pgm->Options->tabText(2), QStringLiteral("Port COM"));
  EXPECT_FALSE(pgm->Timer1->isActive());
  EXPECT_EQ(pgm->Timer1->interval(), 1500);
  EXPECT_TRUE(pgm->Timer2->isActive());
  EXPECT_EQ(pgm->Timer2->interval(), 750);
  EXPECT_EQ(pgm->PortState->brushColor(), QColor(255, 0, 0));
  EXPECT_EQ(pgm->DisConnect->text(), QStringLiteral("&Połącz"));
  EXPECT_EQ(pgm->BankPanel->palette().color(QPalette::Window), pgm->palette().color(QPalette::Button));
  EXPECT_EQ(pgm->PortState->geometry(), QRect(516, 494, 22, 9));
  EXPECT_EQ(pgm->DisConnect->geometry(), QRect(550, 486, 132, 24));
  EXPECT_EQ(pgm->Options->geometry(), QRect(508, 21, 182, 452));
  EXPECT_EQ(pgm->AboutImage->geometry(), QRect(TPgm::ClientWidth - 32, 3, 32, 32));
  EXPECT_EQ(pgm->USABImage->geometry(), QRect(13, 119, 480, 250));
  EXPECT_EQ(pgm->Set_Bar->minimum(), -100);
  EXPECT_EQ(pgm->Set_Bar->maximum(), 100);
  for (int i = 0; i < pgm->ComPort->count(); ++i)
    EXPECT_EQ(pgm->ComPort->itemText(i), QStringLiteral("COM%1").arg(i + 1));
  EXPECT_EQ(pgm->ComPort->count(), 16);
}

TEST_F(MainWindowTest, FieldsShowNotReadWithTheirMaximumLengths) {
  auto pgm = MainWindowAt(4);
  for (ui::ValveField* e : {pgm->PWM, pgm->Coil_A_Imin, pgm->Coil_A_Imax, pgm->Coil_B_Imin, pgm->Coil_B_Imax,
                            pgm->I_Limit, pgm->Coil_A_Dead_Band, pgm->Coil_B_Dead_Band, pgm->Coil_A_Correct,
                            pgm->Coil_B_Correct, pgm->Coil_A_GainI, pgm->Coil_B_GainI, pgm->PID_P, pgm->PID_I,
                            pgm->PID_D, pgm->Near_Zero_Zone, pgm->Coil_A_GainL, pgm->Coil_B_GainL, pgm->DAC_Imax}) {
    EXPECT_EQ(e->text(), QStringLiteral("---")) << e->objectName().toStdString();
    EXPECT_EQ(e->typedLimit(), 10) << e->objectName().toStdString();
  }
  for (ui::ValveField* e : {pgm->IN1_4_20_Offset, pgm->DAC_Gain, pgm->ADC_Gain, pgm->LVDT_Offset, pgm->LVDT_Gain}) {
    EXPECT_EQ(e->text(), QStringLiteral("---"));
    EXPECT_EQ(e->typedLimit(), 8) << e->objectName().toStdString();
  }
  EXPECT_EQ(pgm->DAC_Value->typedLimit(), 4);
  EXPECT_EQ(pgm->DAC_Value->text(), QStringLiteral("---"));
  EXPECT_EQ(pgm->DigiPot_Value->typedLimit(), 3);
  EXPECT_EQ(pgm->Info_Temp->text(), QStringLiteral("0 "));
  EXPECT_EQ(pgm->Info_Usupply->text(), QStringLiteral("0"));
  EXPECT_EQ(pgm->Set_Val->text(), QStringLiteral("0.000"));
  EXPECT_EQ(pgm->Positions_3->text(), QStringLiteral("- liczba elektromagnesów"));
  EXPECT_EQ(pgm->DebugPanel->text(), QStringLiteral("---"));
}

TEST_F(MainWindowTest, NumericFieldsTurnDotIntoCommaAndDropOtherCharacters) {
  auto pgm = MainWindowAt(4);
  pgm->PWM->clear();
  QTest::keyClicks(pgm->PWM, QStringLiteral("1.5a-x2"));
  EXPECT_EQ(pgm->PWM->text(), QStringLiteral("1,52"));
  // The service fields are greyed while the port is closed; the filter is
  // theirs all the same.
  pgm->LVDT_Offset->setEnabled(true);
  pgm->ADC_Gain->setEnabled(true);
  pgm->LVDT_Offset->clear();
  QTest::keyClicks(pgm->LVDT_Offset, QStringLiteral("-0.25"));
  EXPECT_EQ(pgm->LVDT_Offset->text(), QStringLiteral("-0,25"));
  pgm->ADC_Gain->clear();
  QTest::keyClicks(pgm->ADC_Gain, QStringLiteral("-1"));
  EXPECT_EQ(pgm->ADC_Gain->text(), QStringLiteral("1"));
}

TEST_F(MainWindowTest, RuntimeHintsAndHintPause) {
  auto pgm = MainWindowAt(1);
  EXPECT_EQ(pgm->InfoRefresh->toolTip(),
            QStringLiteral(" Lewy klawisz   - odczytaj stan \n Prawy klawisz - włącz/wyłącz odświeżanie stanu co 1s "));
  EXPECT_EQ(pgm->ReadParameters->toolTip(),
            QStringLiteral(" Odczytaj aktualne ustawienia z pamięci RAM rozdzielacza "));
  EXPECT_TRUE(pgm->SimulationHint->toolTip().contains(QStringLiteral("włączone\n\n Trzymanie klawisza")));
  EXPECT_EQ(pgm->PortState->toolTip(), QStringLiteral(" Stan portu COM "));
  EXPECT_EQ(
      pgm->AboutImage->toolTip(),
      QStringLiteral(" Lewy klawisz   - informacje o programie \n Prawy klawisz - wyłącz podpowiedzi \n Poziom: ") +
          QString::fromStdString(app::AccessLevelNameOf(1)));
  for (QWidget* w : {static_cast<QWidget*>(pgm->DisConnect), static_cast<QWidget*>(pgm->Coil_A_Peak),
                     static_cast<QWidget*>(pgm->ComPort)})
    EXPECT_EQ(w->toolTipDuration(), 15000);
  // The pause holds for the whole program: a dialog created later keeps it.
  QDialog later(pgm.get());
  auto* button = new QPushButton(QStringLiteral("x"), &later);
  button->setToolTip(QStringLiteral(" hint "));
  later.ensurePolished();
  button->ensurePolished();
  EXPECT_EQ(button->toolTipDuration(), 15000);
}

TEST_F(MainWindowTest, StopCodeListIsTheHintFromLevelTwo) {
  const QString design = QStringLiteral(" Kod błędu powodującego zatrzymanie ");
  for (int level : {0, 1}) EXPECT_EQ(MainWindowAt(level)->StopCodeLabel->toolTip(), design) << level;
  for (int level : {2, 4})
    EXPECT_EQ(MainWindowAt(level)->StopCodeLabel->toolTip(), QString::fromStdString(status::StopCodeHint()));
}

TEST_F(MainWindowTest, F10TogglesDetailModeAndTwiceRestoresTheLabel) {
  auto pgm = MainWindowAt(0);
  pgm->show();
  pgm->PWM->setFocus();
  QTest::keyClick(pgm->PWM, Qt::Key_F10);
  EXPECT_TRUE(app::DetailMode);
  EXPECT_EQ(pgm->SoftVer->text(), QStringLiteral("Software: V1.4+ 03-11-2022"));
  QTest::keyClick(pgm->Options, Qt::Key_F10);
  EXPECT_FALSE(app::DetailMode);
  EXPECT_EQ(pgm->SoftVer->text(), QStringLiteral("Software: V1.4   03-11-2022"));
  EXPECT_EQ(pgm->PWM->text(), QStringLiteral("---"));  // the key never reached the field
}

TEST_F(MainWindowTest, ComponentListHoldsEveryNamedControlOnce) {
  auto pgm = MainWindowAt(0);
  QStringList names;
  for (const ui::Component& c : pgm->components().components()) {
    ASSERT_TRUE(c.object);
    EXPECT_FALSE(names.contains(c.name)) << c.name.toStdString();
    names << c.name;
  }
  EXPECT_EQ(pgm->components().tag(QStringLiteral("LVDT_CrossWire")), 0x3308);
  EXPECT_EQ(pgm->components().tag(QStringLiteral("DeviceType")), 0x2000);
  EXPECT_EQ(pgm->components().tag(QStringLiteral("Device_Type")), 0);
  EXPECT_EQ(pgm->components().tag(QStringLiteral("Bottom")), 0x0080);
  EXPECT_EQ(pgm->components().find(QStringLiteral("Set_Bar"))->className, QStringLiteral("TTrackBar"));
  EXPECT_EQ(pgm->components().find(QStringLiteral("PortState"))->className, QStringLiteral("TShape"));
  EXPECT_EQ(pgm->components().find(QStringLiteral("Options"))->className, QStringLiteral("TPageControl"));
  EXPECT_EQ(pgm->components().find(QStringLiteral("Top"))->className, QStringLiteral("TMenuItem"));
}

TEST_F(MainWindowTest, ClosingEndsTheReceiverAndLeavesThePortClosed) {
  auto pgm = MainWindowAt(0);
  pgm->show();
  ASSERT_TRUE(pgm->port().ReceiverRun.load());
  pgm->Timer1->start();
  pgm->close();
  EXPECT_FALSE(pgm->Timer1->isActive());
  EXPECT_FALSE(pgm->port().PortOpen.load());
  EXPECT_EQ(pgm->port().PortHandle, platform::InvalidSerialHandle());
}

}  // namespace
}  // namespace tvx::apptest
