// TPgm: creation, closing, keyboard shortcuts and the access rules.
#include "app/main_window.h"

#include "app/caption_layout.h"
#include "app/definitions.h"
#include "app/link_hooks.h"
#include "app/program_resources.h"
#include "link/change_log.h"
#include "link/exchanges.h"
#include "link/port.h"
#include "link/pump_wait.h"
#include "program_info.h"
#include "remote/live_outputs.h"
#include "ui/application.h"
#include "ui/numeric_key_filter.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"
#include "view/no_value.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>

#include <utility>

namespace tvx::app {

namespace {

// Controls on which a mouse press switches the periodic status refresh off.
constexpr const char* StopAutoTimerControls[] = {
    "DisConnect",       "Reset_Usupply_Max", "Coil_A_Peak",        "Coil_B_Peak",      "Reset_Temp_Max",
    "Send_IN1_Offset",  "Send_DigiPot",      "Send_DAC_Gain",      "Send_DAC",         "Send_ADC_Gain",
    "Send_LVDT_Offset", "PWM_Manual",        "ErrorSetup",         "ServiceOptions",   "RampSetup",
    "Send_LVDT_Gain",   "Dynamic_PID",       "EnableDAC_Override", "EnableBreakpoint", "ServiceMode",
    "LinTable_B",       "LinTable_A",        "ReadParameters",     "WriteParameters",  "Reset",
    "ShowChart",        "AutoMode",          "RemoteControl",      "SendParameters",   "SelectSetup"};

// Parameter fields of the main window with the unsigned numeric key filter.
constexpr const char* UnsignedNumericFields[] = {"PWM",
                                                 "DAC_Imax",
                                                 "I_Limit",
                                                 "Near_Zero_Zone",
                                                 "PID_P",
                                                 "PID_I",
                                                 "PID_D",
                                                 "Coil_A_Imin",
                                                 "Coil_A_Imax",
                                                 "Coil_A_GainL",
                                                 "Coil_A_GainI",
                                                 "Coil_A_Dead_Band",
                                                 "Coil_A_Correct",
                                                 "Coil_B_Imin",
                                                 "Coil_B_Imax",
                                                 "Coil_B_GainL",
                                                 "Coil_B_GainI",
                                                 "Coil_B_Dead_Band",
                                                 "Coil_B_Correct"};

}  // namespace

TPgm::TPgm(QWidget* parent) : QWidget(parent) {
  InitProgramResources();
  setObjectName(QStringLiteral("Pgm"));
  setWindowIcon(QIcon(QString::fromLatin1(IconResource)));
  // A fixed window with a system menu and a minimise button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  CreateDeviceGroup();
  CreateParameterGroup();
  CreateRemoteGroup();
  CreateBottomRow();
  CreatePageControl();
  CreateOtherComponents();
  ConnectHandlers();

  port_.PortIndicatorHook = [this](bool open) { SetPortIndicator(open); };
  WakeEventLoopAfterExchanges(port_);
  ui::SetAccessStateSource([this] { return AccessStates(); });
  ui::SetAfterEscapedErrorHook([this] { ui::RunGuarded([this] { CloseLostPort(); }); });
  session_.outputs.Forget();
  session_.outputs.setChangedHook([this] { ShowLiveOutputs(); });
  remote::WatchOutputs(port_, &session_.outputs);
  qApp->installEventFilter(this);
  FormCreate();

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(OuterWidth / 2, ClientHeight / 2));
  }
}

TPgm::~TPgm() {
  if (!closed_) FormClose();
  port_.PortIndicatorHook = {};
  remote::WatchOutputs(port_, nullptr);
  session_.outputs.setChangedHook({});
  ui::SetAccessStateSource({});
  ui::SetAfterEscapedErrorHook({});
}

void TPgm::ConnectHandlers() {
  using ui::Guarded;
  connect(DisConnect, &QPushButton::clicked, this, Guarded(this, &TPgm::DisConnectClick));
  connect(ReadParameters, &QPushButton::clicked, this, Guarded(this, &TPgm::ReadParametersClick));
  connect(InfoRefresh, &QPushButton::clicked, this, Guarded(this, &TPgm::InfoRefreshClick));
  connect(FirmVer, &ui::Label::clicked, this, Guarded(this, &TPgm::FirmVerClick));
  for (ui::Label* l : {FirmVer, SoftVer, Coil_A_Set, Coil_B_Set})
    connect(l, &ui::Label::mouseMoved, this, Guarded(this, &TPgm::FirmVerMouseMove));
  connect(PortState, &ui::Shape::mouseReleased, this, Guarded(this, &TPgm::PortStateMouseUp));
  connect(AboutImage, &ui::Image::mouseReleased, this,
          [this](QMouseEvent* e) { ui::RunGuarded([&] { AboutImageMouseUp(e->button()); }); });
  connect(Timer1, &QTimer::timeout, this, Guarded(this, &TPgm::Timer1Timer));
  connect(Timer2, &QTimer::timeout, this, Guarded(this, &TPgm::Timer2Timer));
  connect(PortWatch, &QTimer::timeout, this, Guarded(this, &TPgm::PortWatchTimer));

  for (const char* name : StopAutoTimerControls) {
    if (auto* w = qobject_cast<QWidget*>(components_.object(QString::fromLatin1(name)))) w->installEventFilter(this);
  }
  for (const char* name : UnsignedNumericFields) {
    if (auto* field = qobject_cast<ui::ValveField*>(components_.object(QString::fromLatin1(name))))
      ui::InstallNumericKeyFilter(field);
  }
  ConnectParameterHandlers();
  ConnectStatusHandlers();
  ConnectProfileHandlers();
  ConnectServiceHandlers();
  ConnectAboutHandlers();
  ConnectRemoteHandlers();
  ConnectHistoryHandlers();
}

void TPgm::FormCreate() {
  AssignAccessTags();
  BankPanel->setColor(palette().color(QPalette::Button));
  DAC_Value->setText(QString::fromLatin1(view::NoValueText));
  setFixedSize(ClientWidth, ClientHeight);
  DetailMode = false;
  SoftVer->setText(QString::fromUtf8(SoftwareLabel(DetailMode)));
  Options->setCurrentIndex(0);
  SetHintPause();
  setWindowTitle(BuildCaption());
  AssignRuntimeHints();
  PreselectUsbPort();
  SetPortIndicator(false);
  link::ReleasePortLock(port_);
  ResetMainWindowFlags();
  receiver_.Start();
  Timer2->start();
  PortWatch->start();
  ApplyAccessRules();
  ui::SetReadingTabOrder(this);
}

void TPgm::SetHintPause() { ui::SetHintPause(HintHidePause); }

QString TPgm::BuildCaption() {
  const QFont system = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  QFont font(system.family());
  font.setPointSize(QApplication::font().pointSize() > 0 ? QApplication::font().pointSize() : 8);
  font.setBold(system.weight() == QFont::Bold);
  const QFontMetrics metrics(font);
  const int iconWidth = QApplication::style()->pixelMetric(QStyle::PM_LargeIconSize);
  const std::string caption =
      LayOutCaption(CaptionTitle, CaptionNotice, OuterWidth, iconWidth,
                    [&](const std::string& text) { return metrics.horizontalAdvance(QString::fromStdString(text)); });
  return QString::fromStdString(caption);
}

void TPgm::closeEvent(QCloseEvent* event) {
  // The window goes once the question about outputs left on is answered.
  if (!closed_ && port_.PortOpen.load() && !link::PortLost(port_) && !Exchanging()) {
    Timer1->stop();
    ui::RunGuarded([this] { OfferOutputsOff(); });
  }
  if (!closed_) FormClose();
  event->accept();
}

void TPgm::PortWatchTimer() { CloseLostPort(); }

void TPgm::FormClose() {
  closed_ = true;
  Timer1->stop();
  PortWatch->stop();
  receiver_.Stop([] { QCoreApplication::processEvents(); });
  link::ClosePortHandle(port_);
}

bool TPgm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      // The window sees its keys before its controls do.
      auto* w = qobject_cast<QWidget*>(watched);
      if (!w || w->window() != this) break;
      auto* key = static_cast<QKeyEvent*>(event);
      if (event->type() == QEvent::KeyPress) {
        if (FormShortCut(key->key())) return true;
      } else if (key->key() == Qt::Key_F1 && !key->isAutoRepeat()) {
        ui::RunGuarded([&] { FormKeyUp(key->key()); });
        return true;
      }
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      // A disabled control gets no mouse reaction.
      if (watched != this && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
          static_cast<QWidget*>(watched)->isEnabled()) {
        for (const char* name : StopAutoTimerControls) {
          if (watched->objectName() == QLatin1String(name)) {
            StopAutoTimer();
            break;
          }
        }
      }
      break;
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

bool TPgm::FormShortCut(int key) {
  if (key == Qt::Key_F9) return ReportShortCut();
  if (key != Qt::Key_F10) return false;
  DetailMode = !DetailMode;
  SoftVer->setText(QString::fromUtf8(SoftwareLabel(DetailMode)));
  return true;
}

void TPgm::FormKeyUp(int key) {
  if (key == Qt::Key_F1) AboutImageMouseUp(Qt::LeftButton);
}

void TPgm::StopAutoTimer() { Timer1->stop(); }

bool TPgm::Exchanging() const { return session_.status.RefreshBusy || link::ExchangeInProgress(); }

std::optional<HandlerTurn> TPgm::StartTurn(std::initializer_list<QWidget*> disabled, HandlerTurn::Focus focus,
                                           bool* busy) {
  if (Exchanging()) return std::nullopt;
  return std::optional<HandlerTurn>(std::in_place, this, disabled, focus, busy);
}

access::States TPgm::AccessStates() const {
  access::States s;
  s.accessLevel = AccessLevel;
  s.portOpen = port_.PortOpen.load();
  s.twoSolenoids = ThreePositions();
  s.lvdt = LvdtFitted();
  s.remoteControl = RemoteControl->isChecked();
  return s;
}

bool TPgm::ThreePositions() const { return components_.stateBit(QStringLiteral("Positions_3")); }
bool TPgm::VoltageInput() const { return components_.stateBit(QStringLiteral("Voltage_Mode")); }
bool TPgm::LvdtFitted() const { return components_.stateBit(QStringLiteral("LVDT_Mode")); }
void TPgm::SetThreePositions(bool on) { components_.setStateBit(QStringLiteral("Positions_3"), on); }
void TPgm::SetVoltageInput(bool on) { components_.setStateBit(QStringLiteral("Voltage_Mode"), on); }
void TPgm::SetLvdtFitted(bool on) { components_.setStateBit(QStringLiteral("LVDT_Mode"), on); }

void TPgm::ApplyAccessRules() {
  const access::States states = AccessStates();
  // The change log names the level of whoever works at the window.
  link::SetLoggedAccessLevel(states.accessLevel);
  components_.apply(states);
  // Once a connection has told whether the second input exists, its two labels
  // stay grey without it, whatever their tag allows.
  if (in2Known_) {
    for (ui::Label* l : {IN2_Type_Label, Info_IN2_Value}) {
      const std::uint16_t tag = components_.tag(l->objectName());
      l->setEnabled(access::IsUsable(tag, states) && session_.valve.In2Present);
    }
  }
}

}  // namespace tvx::app
