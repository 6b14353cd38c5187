// TPgm: the port list, the port indicator, connecting and disconnecting, and
// the firmware label.
#include "app/definitions.h"
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "remote/live_outputs.h"
#include "ui/prompts.h"
#include "params/valve_state.h"
#include "app/usb_port_match.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "link/port.h"
#include "params/identity_text.h"
#include "params/parameter_set.h"
#include "status/status_refresh.h"
#include "platform/valve_port_lookup.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <iterator>

namespace tvx::app {

void TPgm::PreselectUsbPort() {
  const std::optional<std::string> valvePort = platform::ValvePortName();
  for (int i = 0; i < ComPort->count(); ++i) {
    if (IsUsbPort(ComPort->itemText(i).toStdString(), valvePort)) {
      ComPort->setItemText(i, ComPort->itemText(i) + QString::fromLatin1(UsbEntrySuffix));
      ComPort->setCurrentIndex(i);
      break;
    }
  }
}

void TPgm::SetPortIndicator(bool open) {
  PortState->setBrushColor(open ? QColor(0, 255, 0) : QColor(255, 0, 0));
  DisConnect->setText(open ? QStringLiteral("R&ozłącz") : QStringLiteral("&Połącz"));
  ApplyAccessRules();
}

void TPgm::DisConnectClick() { Disconnect(true); }

void TPgm::OfferOutputsOff() {
  MainWindowView view(*this);
  try {
    remote::OfferSwitchOff(port_, session_.outputs,
                           {std::begin(remote::AllLiveOutputs), std::end(remote::AllLiveOutputs)}, ui::CurrentPrompts(),
                           &view);
  } catch (const link::UsbError&) {
    // Reported by CommError; what is known stays shown.
  }
  SyncOutputSwitches();
}

void TPgm::SyncOutputSwitches() {
  // The switches of the window follow what was switched off, without
  // sending anything again.
  if (RemoteControl->isChecked() && !session_.outputs.on(remote::LiveOutput::RemoteControl)) {
    const QSignalBlocker blocker(RemoteControl);
    RemoteControl->setChecked(false);
  }
  if (EnableDAC_Override->isChecked() && !session_.outputs.on(remote::LiveOutput::DacOverride)) {
    {
      const QSignalBlocker blocker(EnableDAC_Override);
      EnableDAC_Override->setChecked(false);
    }
    Send_DAC->setEnabled(false);
  }
  ApplyAccessRules();
}

void TPgm::ShowLiveOutputs() {
  const QString text = QString::fromStdString(remote::LiveOutputsMarker(session_.outputs));
  OutputsOn->setText(text);
  OutputsOn->setToolTip(text.isEmpty() ? QString()
                                       : QString::fromUtf8(" Rozdzielacz pozostaje w trybie ustawionym przez "
                                                           "program, także po rozłączeniu "));
}

void TPgm::Disconnect(bool askAboutOutputs) {
  const std::optional<HandlerTurn> turn = StartTurn({}, HandlerTurn::Focus::Kept);
  if (!turn) return;
  // An output the valve keeps driving is not left on without a word; a port
  // whose device is gone can send nothing, so nothing is asked then.
  if (askAboutOutputs && port_.PortOpen.load() && !link::PortLost(port_)) {
    Timer1->stop();  // no periodic refresh while the question is open
    OfferOutputsOff();
  }
  // The entry's position counts, not its text: "COM3 USB" opens port 3.
  const int port = ComPort->currentIndex() + 1;
  bool unavailable = false;
  {
    // The lock is held only around opening or closing the handle, never
    // during an exchange, and no message box opens while it is held.
    link::PortLockGuard lock(port_);
    // Whichever way, the held flags are no longer known to be the valve's.
    session_.valve.HeldFlagsRead = false;
    if (port_.PortOpen.load()) {
      // Nothing is sent to the valve about remote control.
      {
        const QSignalBlocker blocker(RemoteControl);
        RemoteControl->setChecked(false);
      }
      link::ClosePort(port_);
    } else {
      link::OpenPort(port_, port, &unavailable);
    }
  }
  // Another valve may be at the port now: its error mask is not known yet,
  // nor which of its outputs are on.
  session_.valve.ErrorMaskKnown = false;
  session_.outputs.Forget();
  if (!port_.PortOpen.load()) {
    // Stopped before the message, so that no periodic refresh runs against the
    // closed port while the message is shown.
    Timer1->stop();
    if (unavailable) link::ReportPortUnavailable(port);
  } else {
    if (AccessLevel == 0) ReadParametersClick();
    params::ReadHardwareFlags(port_, session_.valve);
    in2Known_ = true;
    IN2_Type_Label->setEnabled(session_.valve.In2Present);
    Info_IN2_Value->setEnabled(session_.valve.In2Present);
  }
  ApplyAccessRules();
}

void TPgm::CloseLostPort() {
  // After the error of a failed exchange, or found by the port watch with no
  // exchange running: a port whose device is gone (the valve unplugged) is
  // closed as the button closes it, and the live values shown are no longer
  // live.
  if (!link::PortLost(port_) || Exchanging()) return;
  Disconnect(false);
  MainWindowView view(*this);
  status::ShowStatusUnknown(view);
  // The stop shown is not live either; the next refresh shows it again.
  StopCodeLabel->setEnabled(false);
  StopInfo->setEnabled(false);
}

void TPgm::ShowFirmware(std::uint32_t word) {
  FirmwareText = params::FirmwareText(word);
  FirmVer->setText(QString::fromStdString(FirmwareText));
}

void TPgm::FirmVerClick() {
  if (Exchanging()) return;
  status::SendFirmwareLabelCommand(port_);
  InfoRefreshClick();
}

void TPgm::FirmVerMouseMove() {
  FirmVer->setToolTip(
      QString::fromStdString(params::DiagnosticHint(session_.status.DiagnosticMax, session_.status.ErrorHistory)));
}

}  // namespace tvx::app
