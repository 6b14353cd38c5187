// The main window, TPgm: the frame of the program. It holds every control of
// the main window under its own component name, assigns and applies the access
// tags, owns the connect button, the port indicator and the Receiver thread,
// and hosts the handlers that the other modules fill in.
#pragma once

#include "app/handler_turn.h"
#include "history/valve_record.h"
#include "link/receiver.h"
#include "remote/set_value.h"
#include "session/valve_session.h"
#include "ui/access_rules.h"
#include "ui/form_components.h"
#include "ui/valve_field.h"

#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTimer;

namespace tvx::trace {
struct ChartSettings;
}  // namespace tvx::trace

namespace tvx::ui {
class Image;
class Label;
class Panel;
class SaveDialog;
class Shape;
}  // namespace tvx::ui

namespace tvx::app {

class TPgm : public QWidget {
  Q_OBJECT
 public:
  // Client area of the fixed-size window; the outer width is 710 pixels with a
  // 4-pixel frame on each side.
  static constexpr int OuterWidth = 710;
  static constexpr int FrameWidth = 4;
  static constexpr int ClientWidth = OuterWidth - 2 * FrameWidth;
  static constexpr int ClientHeight = 522;
  static constexpr int HintHidePause = 15000;

  explicit TPgm(QWidget* parent = nullptr);
  ~TPgm() override;

  // The valve's session: its port (the window's link, with its Receiver) and
  // what the sequences keep about the valve.
  session::ValveSession& session() { return session_; }
  link::Port& port() { return session_.port; }

  // The managed components in creation order, with their access tags.
  ui::FormComponents& components() { return components_; }
  const ui::FormComponents& components() const { return components_; }

  // The states the access tags read: AccessLevel, PortOpen, the configuration
  // labels' states and RemoteControl.
  access::States AccessStates() const;

  // Mode states of the configuration labels, bit 6 of their tags.
  bool ThreePositions() const;  // Positions_3
  bool VoltageInput() const;    // Voltage_Mode
  bool LvdtFitted() const;      // LVDT_Mode
  void SetThreePositions(bool on);
  void SetVoltageInput(bool on);
  void SetLvdtFitted(bool on);

  // Stores the firmware text built from state register 30 and shows it in FirmVer.
  void ShowFirmware(std::uint32_t word);

  // The caption built in the system caption font (see caption_layout.h).
  static QString BuildCaption();

  // ---- group " Rozdzielacz " -----------------------------------------------------
  QGroupBox* DeviceType = nullptr;
  ui::Label* Positions_3 = nullptr;
  ui::Label* Voltage_Mode = nullptr;
  ui::Label* LVDT_Mode = nullptr;
  ui::Label* Device_Type = nullptr;
  QCheckBox* LVDT_CrossWire = nullptr;
  ui::Panel* BankPanel = nullptr;
  QPushButton* SelectSetup = nullptr;

  // ---- group " Parametry pracy " ---------------------------------------------------
  ui::Image* USABImage = nullptr;
  QGroupBox* Parameters = nullptr;
  ui::Label* PWM_Label = nullptr;
  ui::ValveField* PWM = nullptr;
  ui::Label* Label7 = nullptr;
  ui::ValveField* DAC_Imax = nullptr;
  ui::Label* Label27 = nullptr;
  ui::ValveField* I_Limit = nullptr;
  ui::Label* Label8 = nullptr;
  ui::ValveField* Near_Zero_Zone = nullptr;
  QGroupBox* PID_Parameters = nullptr;
  ui::Label* Label16 = nullptr;
  ui::Label* Label17 = nullptr;
  ui::Label* Label18 = nullptr;
  ui::ValveField* PID_P = nullptr;
  ui::ValveField* PID_I = nullptr;
  ui::ValveField* PID_D = nullptr;
  QGroupBox* Solenoid_A_GBox = nullptr;
  ui::Label* Coil_A_Min = nullptr;
  ui::ValveField* Coil_A_Imin = nullptr;
  ui::Label* Coil_A_Max = nullptr;
  ui::ValveField* Coil_A_Imax = nullptr;
  ui::Label* Label21 = nullptr;
  QPushButton* Coil_A_Gain = nullptr;
  QPushButton* LinTable_A = nullptr;
  ui::Label* Label28 = nullptr;
  ui::ValveField* Coil_A_GainL = nullptr;
  ui::Label* Gain_A_Label_L = nullptr;
  ui::Label* Label29 = nullptr;
  ui::ValveField* Coil_A_GainI = nullptr;
  ui::Label* Gain_A_Label_I = nullptr;
  ui::Label* Label14 = nullptr;
  ui::ValveField* Coil_A_Dead_Band = nullptr;
  ui::Label* Label6 = nullptr;
  ui::ValveField* Coil_A_Correct = nullptr;
  QGroupBox* Solenoid_B_GBox = nullptr;
  ui::Label* Coil_B_Min = nullptr;
  ui::ValveField* Coil_B_Imin = nullptr;
  ui::Label* Coil_B_Max = nullptr;
  ui::ValveField* Coil_B_Imax = nullptr;
  ui::Label* Label26 = nullptr;
  QPushButton* Coil_B_Gain = nullptr;
  QPushButton* LinTable_B = nullptr;
  ui::Label* Label30 = nullptr;
  ui::ValveField* Coil_B_GainL = nullptr;
  ui::Label* Gain_B_Label_L = nullptr;
  ui::Label* Label31 = nullptr;
  ui::ValveField* Coil_B_GainI = nullptr;
  ui::Label* Gain_B_Label_I = nullptr;
  ui::Label* Label15 = nullptr;
  ui::ValveField* Coil_B_Dead_Band = nullptr;
  ui::Label* Label13 = nullptr;
  ui::ValveField* Coil_B_Correct = nullptr;

  // ---- group " Sterowanie zdalne " --------------------------------------------------
  QGroupBox* ManualControl = nullptr;
  QCheckBox* RemoteControl = nullptr;
  ui::Label* Set_Low = nullptr;
  ui::Label* Set_Mid = nullptr;
  ui::Label* Set_Hi = nullptr;
  QSlider* Set_Bar = nullptr;
  ui::Label* Set_Val = nullptr;
  QPushButton* SendSetValue = nullptr;
  QPushButton* AutoMode = nullptr;
  QPushButton* ShowChart = nullptr;
  ui::Label* SimulationHint = nullptr;
  // The outputs known to be on (empty when none is); not a managed component.
  ui::Label* OutputsOn = nullptr;

  // ---- bottom row ----------------------------------------------------------------------
  QPushButton* ReadParameters = nullptr;
  QPushButton* SendParameters = nullptr;
  QPushButton* WriteParameters = nullptr;
  QPushButton* Reset = nullptr;
  ui::Shape* PortState = nullptr;
  QPushButton* DisConnect = nullptr;

  // ---- page control --------------------------------------------------------------------
  QTabWidget* Options = nullptr;
  QWidget* TabSheet1 = nullptr;  // "Pomiary"
  QWidget* TabSheet2 = nullptr;  // "Serwis"
  QWidget* TabSheet3 = nullptr;  // "Port COM"

  // "Pomiary"
  QGroupBox* CurrentState = nullptr;
  ui::Label* Label32 = nullptr;
  ui::Label* Label35 = nullptr;
  ui::Label* Info_Usupply = nullptr;
  ui::Label* Label33 = nullptr;
  ui::Label* Label45 = nullptr;
  ui::Label* Info_Upower = nullptr;
  ui::Label* Label40 = nullptr;
  ui::Label* Label41 = nullptr;
  ui::Label* Info_Usupply_Max = nullptr;
  QPushButton* Reset_Usupply_Max = nullptr;
  ui::Label* Label36 = nullptr;
  ui::Label* Label44 = nullptr;
  ui::Label* Info_Temp = nullptr;
  QPushButton* Reset_Temp_Max = nullptr;
  ui::Label* Label47 = nullptr;
  ui::Label* Label39 = nullptr;
  ui::Label* Info_Coil_A_Iavg = nullptr;
  ui::Label* Label37 = nullptr;
  ui::Label* Label48 = nullptr;
  ui::Label* Info_Coil_B_Iavg = nullptr;
  ui::Label* Label49 = nullptr;
  ui::Label* Label11 = nullptr;
  ui::Label* Coil_A_Peak = nullptr;
  ui::Label* Label12 = nullptr;
  ui::Label* Label51 = nullptr;
  ui::Label* Coil_B_Peak = nullptr;
  ui::Label* Coil_A_Set_Type = nullptr;
  ui::Label* Label52 = nullptr;
  ui::Label* Coil_A_Set = nullptr;
  ui::Label* Coil_B_Set_Type = nullptr;
  ui::Label* Label53 = nullptr;
  ui::Label* Coil_B_Set = nullptr;
  ui::Label* LvdtLabel = nullptr;
  ui::Label* Label46 = nullptr;
  ui::Label* Info_Lvdt = nullptr;
  ui::Label* LvdtPidLabel = nullptr;
  ui::Label* Label63 = nullptr;
  ui::Label* Info_Lvdt_PID = nullptr;
  ui::Label* IN2_Type_Label = nullptr;
  ui::Label* Label57 = nullptr;
  ui::Label* Info_IN2_Value = nullptr;
  QPushButton* InfoRefresh = nullptr;
  ui::Label* StopCodeLabel = nullptr;
  ui::Label* StopInfo = nullptr;
  ui::Label* FirmVer = nullptr;
  ui::Label* SoftVer = nullptr;

  // "Serwis"
  ui::Label* Label43 = nullptr;
  ui::ValveField* IN1_4_20_Offset = nullptr;
  QPushButton* Send_IN1_Offset = nullptr;
  ui::Label* Label10 = nullptr;
  ui::ValveField* DigiPot_Value = nullptr;
  QPushButton* Send_DigiPot = nullptr;
  ui::Label* Label50 = nullptr;
  ui::ValveField* DAC_Gain = nullptr;
  QPushButton* Send_DAC_Gain = nullptr;
  ui::Label* Label9 = nullptr;
  ui::ValveField* ADC_Gain = nullptr;
  QPushButton* Send_ADC_Gain = nullptr;
  ui::Label* Label55 = nullptr;
  ui::ValveField* LVDT_Offset = nullptr;
  QPushButton* Send_LVDT_Offset = nullptr;
  ui::Label* Label42 = nullptr;
  ui::ValveField* LVDT_Gain = nullptr;
  QPushButton* Send_LVDT_Gain = nullptr;
  ui::Label* Label60 = nullptr;
  ui::ValveField* DAC_Value = nullptr;
  QCheckBox* EnableDAC_Override = nullptr;
  QPushButton* Send_DAC = nullptr;
  QPushButton* RampSetup = nullptr;
  ui::Label* Label2 = nullptr;
  QPushButton* ServiceOptions = nullptr;
  ui::Label* Label58 = nullptr;
  QPushButton* ErrorSetup = nullptr;
  ui::Label* Label56 = nullptr;
  QPushButton* PWM_Manual = nullptr;
  ui::Label* Label61 = nullptr;
  QPushButton* Dynamic_PID = nullptr;
  ui::Label* Label62 = nullptr;
  QPushButton* LVDT_Setup = nullptr;
  ui::Label* Label65 = nullptr;

  // "Port COM"
  ui::Label* Label59 = nullptr;
  QComboBox* ComPort = nullptr;
  QCheckBox* EnableBreakpoint = nullptr;
  QCheckBox* ServiceMode = nullptr;
  ui::Panel* DebugPanel = nullptr;
  QPushButton* Drivers = nullptr;
  QPushButton* History = nullptr;  // "Historia"
  QPushButton* Backup = nullptr;   // "Kopia zapasowa"

  // ---- elsewhere -----------------------------------------------------------------------
  ui::Image* AboutImage = nullptr;
  QPlainTextEdit* Memo1 = nullptr;  // beyond the window width
  QTimer* Timer1 = nullptr;         // periodic status refresh, 1500 ms, off at start
  QTimer* Timer2 = nullptr;         // service field check, 750 ms
  QTimer* PortWatch = nullptr;      // lost port check, 250 ms
  ui::SaveDialog* SaveDialog = nullptr;
  QMenu* DAC_Cal = nullptr;
  QAction* Bottom = nullptr;
  QAction* Zero = nullptr;
  QAction* Top = nullptr;

 public slots:
  // Shows the port state: green and "R&ozłącz" when open, red and "&Połącz"
  // when closed; then applies the access rules.
  void SetPortIndicator(bool open);
  // Applies the access tags to every component of the window.
  void ApplyAccessRules();

  // Connect / disconnect toggle. Before disconnecting, asks whether to switch
  // off the outputs known to be on.
  void DisConnectClick();
  // Every quarter second: a port whose device is gone while no exchange runs
  // is closed (CloseLostPort).
  void PortWatchTimer();
  // Closes the port when its device is gone (after a failed exchange's error).
  void CloseLostPort();
  // Reading the parameter set; the connection runs it at access level 0.
  void ReadParametersClick();
  // The status refresh.
  void InfoRefreshClick();
  // Command 25, then a status refresh.
  void FirmVerClick();
  // Rebuilds the diagnostic hint of FirmVer.
  void FirmVerMouseMove();
  // At access level 4 the mouse release over PortState writes the component list.
  void PortStateMouseUp();
  // The About picture: the left button opens the About box, another button
  // switches the hints; F1 acts as the left button.
  void AboutImageMouseUp(Qt::MouseButton button);
  void OpenAboutBox();
  // "Sterownik USB": writes the driver files into a folder the user chooses.
  void DriversClick();
  void ConnectAboutHandlers();
  // "Historia": the valve history dialog of the valve last read.
  void HistoryClick();
  // "Kopia zapasowa": the three profile banks read and kept in the history.
  void BackupClick();
  // Puts a record's words into the fields and sends them with the window's
  // own send (store: "Zapisz"), logged as a restore of the record.
  void RestoreRecord(const history::ValveRecord& record, bool store);
  // The fields of the parameter set now show what the valve holds (after a send).
  void KeepSentTexts();
  // Switches the periodic status refresh off (mouse down on action controls).
  void StopAutoTimer();
  // A status refresh or an exchange is under way. The handlers and the timer
  // that exchange do nothing then: a click or tick that gets through while an
  // exchange waits must not start another exchange inside it.
  bool Exchanging() const;
  void Timer1Timer();
  void Timer2Timer();

  // Keyboard: F10 toggles DetailMode (the key is consumed); F1 opens the About box.
  bool FormShortCut(int key);
  void FormKeyUp(int key);

  // F9 from access level 2 with the port open: the commissioning report as a
  // PDF, to a file the user names. False (the key is not taken) otherwise.
  bool ReportShortCut();
  void WriteReport();

  // ---- parameter set
 public:
  // The two send buttons: "WriteParameters" also stores the set in the
  // valve's non-volatile memory, any other sender only sends it.
  void SendWriteParamsClick(QObject* sender);
  // Remote control off, command 998, then disconnect.
  void ResetClick();

  // Valve modes. A click on the mode's own label toggles it; any other sender
  // (the window itself, Device_Type) only redraws it. Each ends with
  // MainConfigurationClick, which adapts the window to the modes.
  void Positions_3Click(QObject* sender);
  void Voltage_ModeClick(QObject* sender);
  void LVDTClick(QObject* sender);
  void MainConfigurationClick();
  void LVDT_CrossWireClick();
  // Captions of the monitor-output menu DAC_Cal for current or voltage input.
  void SetMonitorRangeLabels(bool current);

  // Checks while the parameter fields change; none of them sends anything.
  void Coil_I_Change(QLineEdit* sender);
  void Coil_GainClick(QPushButton* sender);
  void I_LimitChange(QLineEdit* sender);
  void DAC_ImaxChange(QLineEdit* sender);
  void PWMChange();

  // Remote control switch, set-value bar and the switch check boxes.
  void RemoteControlClick();
  void Set_BarChange();
  // The regulation chart (trace::OpenChartDialog): reads the recorder
  // settings, shows the chart modally, keeps its sampling divider and writes a
  // changed channel mask.
  void ShowChartClick();
  // Set_Low, Set_Mid, Set_Hi: the bar to its minimum, middle or maximum.
  void SetMarkerClick(remote::Marker marker);
  // Mouse down on the remote group left of Set_Val: the stepper runs until
  // the mouse-up (or until the button is no longer held).
  void ManualControlMouseDown(QMouseEvent* event);
  // Mouse up on SendSetValue: its four forms by button and keys.
  void SendSetValueMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers keys);
  void EnableDAC_OverrideClick();
  void EnableBreakpointClick();
  void ServiceModeClick();
  // Opens the options dialog modally; OK sends its numbers and texts.
  void ServiceOptionsClick();
  // The options dialog switched dither on below level 2: PWM becomes "2000".
  void SetDitherPwm();

  // What the sequences set through the window (see MainWindowView): a mode
  // label or a switch check box by name, its reaction running when the state
  // changes; the set value on Set_Bar and Set_Val (none: the bar goes to 0);
  // the valve type, centred in its group.
  void SetChecked(const QString& name, bool checked);
  bool IsChecked(const QString& name) const;
  void ShowSetValue(std::optional<float> value);
  void ShowDeviceType(const QString& text);

 private:
  void ConnectParameterHandlers();
  // Changes a check box from code and runs its reaction when the state really
  // changes. The reaction runs unguarded, so its error ends the caller's action.
  void SetCheckedAndReact(QCheckBox* box, bool checked, void (TPgm::*reaction)());
  // A parameter field of the main window by name.
  ui::ValveField* ParameterField(std::string_view name) const;

  // ---- status
 public:
  // Mouse release on InfoRefresh: the right button switches the periodic
  // refresh (Timer1) on or off.
  void InfoRefreshMouseUp(Qt::MouseButton button);
  // Resets of the valve's memories, each followed by a status refresh.
  void Reset_Temp_MaxClick();
  void Reset_Usupply_MaxClick();
  void Coil_A_PeakClick();
  void Coil_B_PeakClick();
  // Clears a SOFT stop where the valve allows it, then refreshes.
  void StopInfoClick();

 private:
  void ConnectStatusHandlers();

  // ---- service and remote dialogs (main_window_service.cpp)
 public:
  void RampSetupClick();
  void Dynamic_PIDClick();
  // Any mouse press on LVDT_Setup: right or middle button the near-zero PID,
  // left with exactly Ctrl the LVDT calibration, left otherwise the LVDT
  // linearisation table.
  void LVDT_SetupMouseDown(QMouseEvent* event);
  void PWM_ManualClick();
  void AutoModeClick();
  // The six send buttons of the service values; the sender's name tells which.
  void SendServiceValueClick(QObject* sender);
  void Send_DACClick();
  // DAC_Cal items: the calibration point into DAC_Value, nothing sent.
  void DAC_CalClick(QObject* sender);

 private:
  void ConnectServiceHandlers();
  void ConnectRemoteHandlers();
  // What the chart shows of the window and the options dialog besides the
  // recording (all but the opening read from the valve).
  trace::ChartSettings ChartSettingsOfWindow();
  remote::Stepper stepper_;
  bool sendSetValuePressed_ = false;
  void ResetPeakAndRefresh(char coil);

  // ---- profiles, error handling, linearisation tables
 public:
  // The profiles dialog: choose the active profile, copy, compare, files.
  void SelectSetupClick();
  // The error-handling settings dialog.
  void ErrorSetupClick();
  // The linearisation table editor; the sender's name chooses the table
  // ("LinTable_A", "LinTable_B", any other the LVDT table, as for the left
  // press on LVDT_Setup).
  void LinTableClick(QObject* sender);

 private:
  void ConnectProfileHandlers();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormClose();

  // A handler's turn at the valve (handler_turn.h) on this window; nothing
  // while Exchanging(), and the handler then does nothing.
  std::optional<HandlerTurn> StartTurn(std::initializer_list<QWidget*> disabled,
                                       HandlerTurn::Focus focus = HandlerTurn::Focus::Passes, bool* busy = nullptr);

  // The outputs known to be on: the marker, the question and the switches.
  void Disconnect(bool askAboutOutputs);
  void OfferOutputsOff();
  void SyncOutputSwitches();
  void ShowLiveOutputs();

  // Construction, by area of the window.
  void CreateDeviceGroup();
  void CreateParameterGroup();
  void CreateSolenoidGroup(char coil, QGroupBox* group);
  void CreateRemoteGroup();
  void CreateBottomRow();
  void CreatePageControl();
  void CreateMeasurementsTab();
  void CreateServiceTab();
  void CreatePortTab();
  void CreateOtherComponents();
  void ConnectHandlers();
  void ConnectHistoryHandlers();
  // The fields of the parameter set that mark an edited text.
  std::vector<ui::ValveField*> MarkedFields() const;

  // FormCreate steps.
  void AssignAccessTags();
  void AssignRuntimeHints();
  void PreselectUsbPort();
  void SetHintPause();

  // The developers' listing of this window's components.
  void WriteComponentList();

  ui::FormComponents components_;
  session::ValveSession session_;
  link::Port& port_ = session_.port;
  link::Receiver receiver_{port_};
  bool closed_ = false;
  bool in2Known_ = false;
};

}  // namespace tvx::app
