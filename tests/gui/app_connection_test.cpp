// Connecting and disconnecting against the simulated valve, the port
// preselection and the firmware label.
#include "app_main_window_fixture.h"

#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/protocol.h"
#include "ui/widgets.h"

#include <QSignalSpy>
#include <QTimer>

#include <fstream>

namespace tvx::apptest {
namespace {

using Requests = std::vector<std::string>;

class ConnectionTest : public ::testing::Test {
 protected:
  IsolatedSysfs sysfs_;
  testing::SimulatedValve valve_;
  testing::ScopedScriptedPrompts prompts_;
};

TEST_F(ConnectionTest, ValvePortIsMarkedAndPreselected) {
  auto pgm = MainWindowAt(0);
  EXPECT_EQ(pgm->ComPort->currentIndex(), 2);
  EXPECT_EQ(pgm->ComPort->currentText(), QStringLiteral("COM3 USB"));
  EXPECT_EQ(pgm->ComPort->itemText(3), QStringLiteral("COM4"));
}

TEST_F(ConnectionTest, ConnectAboveLevelZeroReadsOnlyTheTwoHardwareFlags) {
  for (int level = 1; level <= 4; ++level) {
    auto pgm = MainWindowAt(level);
    valve_.clearRequests();
    ClickDisConnect(*pgm);
    ASSERT_TRUE(pgm->port().PortOpen.load());
    EXPECT_EQ(valve_.requests(), Requests({"G039", "G042"})) << level;
    EXPECT_EQ(pgm->PortState->brushColor(), QColor(0, 255, 0));
    EXPECT_EQ(pgm->DisConnect->text(), QStringLiteral("R&ozłącz"));
    EXPECT_TRUE(pgm->ReadParameters->isEnabled());
    EXPECT_TRUE(prompts_->shown().empty());
    ClickDisConnect(*pgm);
  }
}

TEST_F(ConnectionTest, DisconnectSendsNothingAndClearsRemoteControlSilently) {
  auto pgm = MainWindowAt(2);
  ClickDisConnect(*pgm);
  ASSERT_TRUE(pgm->port().PortOpen.load());
  pgm->RemoteControl->setChecked(true);
  pgm->Timer1->start();
  QSignalSpy toggled(pgm->RemoteControl, &QCheckBox::toggled);
  QSignalSpy clicked(pgm->RemoteControl, &QCheckBox::clicked);
  valve_.clearRequests();

  // Asked whether to switch remote control off, the person says "Nie".
  prompts_->queueAnswer(ui::Prompts::Answer::No);
  ClickDisConnect(*pgm);
  EXPECT_EQ(prompts_->messages().size(), 1u);
  EXPECT_FALSE(pgm->port().PortOpen.load());
  EXPECT_TRUE(valve_.requests().empty());
  EXPECT_FALSE(pgm->RemoteControl->isChecked());
  EXPECT_EQ(toggled.count(), 0);
  EXPECT_EQ(clicked.count(), 0);
  EXPECT_FALSE(pgm->Timer1->isActive());
  EXPECT_EQ(pgm->PortState->brushColor(), QColor(255, 0, 0));
  EXPECT_EQ(pgm->DisConnect->text(), QStringLiteral("&Połącz"));
  EXPECT_FALSE(pgm->ReadParameters->isEnabled());
}

TEST_F(ConnectionTest, HardwareFlagsAndTheSecondInputLabels) {
  valve_.model().setState(39, proto::MarkerTrue);
  valve_.model().setState(42, proto::MarkerFalse);
  auto pgm = MainWindowAt(2);
  pgm->session().valve.BoardVariant = false;
  pgm->session().valve.In2Present = true;
  ClickDisConnect(*pgm);
  EXPECT_TRUE(pgm->session().valve.BoardVariant);
  EXPECT_FALSE(pgm->session().valve.In2Present);
  EXPECT_FALSE(pgm->IN2_Type_Label->isEnabled());
  EXPECT_FALSE(pgm->Info_IN2_Value->isEnabled());
  // A later application of the access rules keeps them grey.
  pgm->ApplyAccessRules();
  EXPECT_FALSE(pgm->IN2_Type_Label->isEnabled());

  // Each connection reads the flags again.
  ClickDisConnect(*pgm);
  valve_.model().setState(39, 0x00000001);
  valve_.model().setState(42, proto::MarkerTrue);
  ClickDisConnect(*pgm);
  EXPECT_FALSE(pgm->session().valve.BoardVariant);
  EXPECT_TRUE(pgm->session().valve.In2Present);
  EXPECT_TRUE(pgm->IN2_Type_Label->isEnabled());
  EXPECT_TRUE(pgm->Info_IN2_Value->isEnabled());
  ClickDisConnect(*pgm);
}

TEST_F(ConnectionTest, FailedFlagReadIsReportedAndThePortStaysOpen) {
  auto pgm = MainWindowAt(3);
  valve_.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "G039", 1});
  ClickDisConnect(*pgm);
  EXPECT_TRUE(pgm->port().PortOpen.load());
  const auto shown = prompts_->messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, QString::fromStdString(link::CommErrorText(link::ReadRegisterCode)));
  EXPECT_EQ(shown[0].caption, QStringLiteral(" Błąd USB"));
  EXPECT_EQ(shown[1].text, QStringLiteral("USB error."));
  EXPECT_EQ(shown[1].caption, QStringLiteral("Tarvelmundix"));
  EXPECT_EQ(shown[1].icon, ui::Prompts::Icon::Error);
  EXPECT_EQ(valve_.requests().back(), "G039");
  ClickDisConnect(*pgm);
}

TEST_F(ConnectionTest, EntryMarkedUsbStillOpensByItsPosition) {
  valve_.addComEntry(16);
  auto pgm = MainWindowAt(1);
  pgm->ComPort->setCurrentIndex(15);
  ClickDisConnect(*pgm);
  EXPECT_TRUE(pgm->port().PortOpen.load());
  ClickDisConnect(*pgm);
  pgm->ComPort->setCurrentIndex(2);  // "COM3 USB"
  ClickDisConnect(*pgm);
  EXPECT_TRUE(pgm->port().PortOpen.load());
  ClickDisConnect(*pgm);
}

TEST_F(ConnectionTest, FirmwareClickSendsCommand25) {
  auto pgm = MainWindowAt(1);
  ClickDisConnect(*pgm);
  valve_.clearRequests();
  QTest::mouseClick(pgm->FirmVer, Qt::LeftButton);
  // The command, then a status refresh.
  const Requests sent = valve_.requests();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], "S025=AAAAAAAA");
  EXPECT_EQ(sent[1], "R067");
  EXPECT_EQ(sent.back(), "G043");
  ClickDisConnect(*pgm);
}

class PortLookupTest : public ::testing::Test {
 protected:
  IsolatedPorts ports_;
  testing::ScopedScriptedPrompts prompts_;

  void Announce(const std::string& name) { std::ofstream(ports_.path() / "PortName") << name << "\n"; }
};

TEST_F(PortLookupTest, NoAnnouncedPortSelectsNothing) {
  auto pgm = MainWindowAt(0);
  EXPECT_EQ(pgm->ComPort->currentIndex(), -1);
  EXPECT_EQ(pgm->ComPort->currentText(), QString());
}

TEST_F(PortLookupTest, LowerCaseOrUnknownNamesMarkNothing) {
  for (const char* name : {"com3", "COM17", "COM3X"}) {
    Announce(name);
    auto pgm = MainWindowAt(0);
    EXPECT_EQ(pgm->ComPort->currentIndex(), -1) << name;
    for (int i = 0; i < pgm->ComPort->count(); ++i)
      EXPECT_FALSE(pgm->ComPort->itemText(i).endsWith(QStringLiteral(" USB"))) << name;
  }
}

TEST_F(PortLookupTest, ConnectingWithoutASelectedEntryFailsOnPortZero) {
  auto pgm = MainWindowAt(2);
  pgm->Timer1->start();
  ClickDisConnect(*pgm);
  EXPECT_FALSE(pgm->port().PortOpen.load());
  const auto shown = prompts_->messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, QString::fromUtf8(" Port szeregowy COM0 niedostępny!   "));
  EXPECT_EQ(shown[0].caption, QString::fromUtf8(" Informacja o błędzie"));
  EXPECT_EQ(shown[0].icon, ui::Prompts::Icon::Error);
  EXPECT_EQ(pgm->PortState->brushColor(), QColor(255, 0, 0));
  EXPECT_EQ(pgm->DisConnect->text(), QStringLiteral("&Połącz"));
  EXPECT_FALSE(pgm->Timer1->isActive());
}

TEST_F(PortLookupTest, FirmwareLabelAndDiagnosticHint) {
  auto pgm = MainWindowAt(2);
  pgm->ShowFirmware(14031122);
  EXPECT_EQ(pgm->FirmVer->text(), QStringLiteral("Firmware: V1.4   03-11-2022"));
  EXPECT_EQ(app::FirmwareText, "Firmware: V1.4   03-11-2022");
  pgm->ShowFirmware(12345);  // fewer than seven digits: still a complete text
  EXPECT_TRUE(pgm->FirmVer->text().startsWith(QStringLiteral("Firmware: V")));
  EXPECT_TRUE(pgm->FirmVer->text().endsWith(QStringLiteral("-2045")));

  pgm->session().status.DiagnosticMax = 850;
  pgm->session().status.ErrorHistory.fill(0);
  pgm->session().status.ErrorHistory[0] = 17;
  pgm->session().status.ErrorHistory[1] = 20;
  // Moving over any of the four labels rebuilds the hint of FirmVer only.
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(pgm->Coil_A_Set, &move);
  EXPECT_EQ(pgm->FirmVer->toolTip(),
            QString::fromUtf8(" Diagnostic_Max - 850us \n Kod błędu nr 1 - 17\n Kod błędu nr 2 - 20"));
  EXPECT_EQ(pgm->Coil_A_Set->toolTip(), QString());
  pgm->session().status.ErrorHistory[0] = 0;
  QApplication::sendEvent(pgm->SoftVer, &move);
  EXPECT_EQ(pgm->FirmVer->toolTip(), QString::fromUtf8(" Diagnostic_Max - 850us "));
}

}  // namespace
}  // namespace tvx::apptest
