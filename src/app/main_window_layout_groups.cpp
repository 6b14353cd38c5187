// TPgm construction, left half of the window: the valve group, the parameter
// group with the picture under it, the remote-control group and the bottom row.
#include "app/main_window.h"
#include "app/program_resources.h"
#include "ui/form_components.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"
#include "view/no_value.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace tvx::app {

using ui::DesignText;
using ui::MakeButton;
using ui::MakeCheckBox;
using ui::MakeEdit;
using ui::MakeGroup;
using ui::MakeLabel;
using ui::MakePanel;

namespace {
constexpr int ParameterFieldLength = 10;
const QString NotRead = QString::fromLatin1(view::NoValueText);
}  // namespace

void TPgm::CreateDeviceGroup() {
  auto& f = components_;
  DeviceType = MakeGroup(f, this, "DeviceType", {13, 16, 481, 91}, DesignText(" Rozdzielacz "));
  const QString clickHint = DesignText(" Kliknij żeby zmienić ustawienie ");
  Positions_3 = MakeLabel(f, DeviceType, "Positions_3", 12, 18, DesignText("- liczba elektromagnesów"), clickHint);
  Voltage_Mode = MakeLabel(f, DeviceType, "Voltage_Mode", 12, 34, DesignText("- sygnał wejściowy"), clickHint);
  LVDT_Mode = MakeLabel(f, DeviceType, "LVDT_Mode", 12, 50, DesignText("- czujnik LVDT"), clickHint);
  LVDT_CrossWire = MakeCheckBox(f, DeviceType, "LVDT_CrossWire", {170, 48, 130, 18}, DesignText("zmiana biegunów"),
                                DesignText(" Odwrotne podłączenie czujnika położenia LVDT "));
  Device_Type = MakeLabel(f, DeviceType, "Device_Type", 0, 70, DesignText("Rodzaj rozdzielacza"));
  QFont bold = Device_Type->font();
  bold.setBold(true);
  Device_Type->setFont(bold);
  Device_Type->adjustSize();
  Device_Type->move((DeviceType->width() - Device_Type->fontMetrics().horizontalAdvance(Device_Type->text())) / 2, 70);
  BankPanel = MakePanel(f, DeviceType, "BankPanel", {362, 16, 110, 38}, QString());
  SelectSetup = MakeButton(f, BankPanel, "SelectSetup", {8, 7, 94, 24}, DesignText("Profil"),
                           DesignText(" Aktywny profil ustawień "));
  SelectSetup->setVisible(false);
}

void TPgm::CreateParameterGroup() {
  auto& f = components_;
  USABImage = new ui::Image(this);
  USABImage->setObjectName(QStringLiteral("USABImage"));
  USABImage->setGeometry(13, 119, 480, 250);
  USABImage->setPixmap(QPixmap(QString::fromLatin1(ValvePictureResource)));
  f.add(USABImage, "TImage");

  Parameters = MakeGroup(f, this, "Parameters", {13, 118, 481, 253}, DesignText(" Parametry pracy "));
  Parameters->setAutoFillBackground(true);
  PWM_Label = MakeLabel(f, Parameters, "PWM_Label", 8, 21, DesignText("PWM [Hz]"));
  PWM = MakeEdit(f, Parameters, "PWM", {63, 18, 48, 21}, ParameterFieldLength, NotRead);
  Label7 = MakeLabel(f, Parameters, "Label7", 122, 21, DesignText("I DAC [A]"));
  DAC_Imax = MakeEdit(f, Parameters, "DAC_Imax", {176, 18, 50, 21}, ParameterFieldLength, NotRead,
                      DesignText(" Prąd cewki dla maksymalnej wartości na wyjściu monitora"));
  Label27 = MakeLabel(f, Parameters, "Label27", 240, 21, DesignText("I MAX [A]"));
  I_Limit = MakeEdit(f, Parameters, "I_Limit", {296, 18, 50, 21}, ParameterFieldLength, NotRead,
                     DesignText(" Wartość nie może przekraczać 3.3A "));
  Label8 = MakeLabel(f, Parameters, "Label8", 358, 21, DesignText("A,B=0 [mV]"));
  Near_Zero_Zone = MakeEdit(f, Parameters, "Near_Zero_Zone", {423, 18, 50, 21}, ParameterFieldLength, NotRead);

  PID_Parameters = MakeGroup(f, Parameters, "PID_Parameters", {8, 46, 80, 198}, DesignText(" Regulator "));
  Label16 = MakeLabel(f, PID_Parameters, "Label16", 8, 27, DesignText("Kp"));
  PID_P = MakeEdit(f, PID_Parameters, "PID_P", {26, 24, 46, 21}, ParameterFieldLength, NotRead);
  Label17 = MakeLabel(f, PID_Parameters, "Label17", 8, 59, DesignText("Ki"));
  PID_I = MakeEdit(f, PID_Parameters, "PID_I", {26, 56, 46, 21}, ParameterFieldLength, NotRead);
  Label18 = MakeLabel(f, PID_Parameters, "Label18", 8, 91, DesignText("Kd"));
  PID_D = MakeEdit(f, PID_Parameters, "PID_D", {26, 88, 46, 21}, ParameterFieldLength, NotRead);

  Solenoid_A_GBox = MakeGroup(f, Parameters, "Solenoid_A_GBox", {94, 46, 188, 198}, DesignText(" Elektromagnes A "));
  CreateSolenoidGroup('A', Solenoid_A_GBox);
  Solenoid_B_GBox = MakeGroup(f, Parameters, "Solenoid_B_GBox", {287, 46, 188, 198}, DesignText(" Elektromagnes B "));
  CreateSolenoidGroup('B', Solenoid_B_GBox);
}

// Both solenoid groups share one layout: the current limits, the gain with its
// calculation and linearisation buttons, the two gain fields with their units,
// the sensitivity threshold and the current-reading correction.
void TPgm::CreateSolenoidGroup(char coil, QGroupBox* g) {
  auto& f = components_;
  const bool a = coil == 'A';
  auto row = [](int i) { return 20 + 24 * i; };
  constexpr int LabelX = 6, FieldX = 100, FieldW = 44, UnitX = 147;
  auto field = [&](const char* name, int i, const QString& hint = {}) {
    return MakeEdit(f, g, name, {FieldX, row(i), FieldW, 21}, ParameterFieldLength, NotRead, hint);
  };
  auto label = [&](const char* name, int i, const char* caption) {
    return MakeLabel(f, g, name, LabelX, row(i) + 3, DesignText(caption));
  };
  const QString gainHint = DesignText(" Oblicz wzmocnienie z wartości granicznych ");

  ui::Label* min = label(a ? "Coil_A_Min" : "Coil_B_Min", 0, "Imin [A]");
  ui::ValveField* imin = field(a ? "Coil_A_Imin" : "Coil_B_Imin", 0);
  ui::Label* max = label(a ? "Coil_A_Max" : "Coil_B_Max", 1, "Imax [A]");
  ui::ValveField* imax = field(a ? "Coil_A_Imax" : "Coil_B_Imax", 1);
  ui::Label* gainLabel = label(a ? "Label21" : "Label26", 2, "Wzmocnienie");
  QPushButton* gain = MakeButton(f, g, a ? "Coil_A_Gain" : "Coil_B_Gain", {FieldX, row(2) - 1, FieldW, 23},
                                 DesignText("Oblicz"), gainHint);
  QPushButton* lin = MakeButton(f, g, a ? "LinTable_A" : "LinTable_B", {UnitX, row(2) - 1, 34, 23}, DesignText("Lin"),
                                a ? DesignText(" Edycja tabeli linearyzacji charakterystyki elektromagnesu A ")
                                  : DesignText(" Edycja tabeli linearyzacji charakterystyki elektromagnesu B "));
  ui::Label* lLabel = label(a ? "Label28" : "Label30", 3, "z LVDT");
  ui::ValveField* gainL = field(a ? "Coil_A_GainL" : "Coil_B_GainL", 3);
  ui::Label* unitL = MakeLabel(f, g, a ? "Gain_A_Label_L" : "Gain_B_Label_L", UnitX, row(3) + 3, DesignText("[V/V]"));
  ui::Label* iLabel = label(a ? "Label29" : "Label31", 4, "bez LVDT");
  ui::ValveField* gainI = field(a ? "Coil_A_GainI" : "Coil_B_GainI", 4);
  ui::Label* unitI = MakeLabel(f, g, a ? "Gain_A_Label_I" : "Gain_B_Label_I", UnitX, row(4) + 3, DesignText("[mA/V]"));
  ui::Label* bandLabel = label(a ? "Label14" : "Label15", 5, "Próg czułości [%]");
  ui::ValveField* band = field(a ? "Coil_A_Dead_Band" : "Coil_B_Dead_Band", 5);
  ui::Label* correctLabel = label(a ? "Label6" : "Label13", 6, "Korekta prądu");
  ui::ValveField* correct = field(a ? "Coil_A_Correct" : "Coil_B_Correct", 6);

  if (a) {
    Coil_A_Min = min, Coil_A_Imin = imin, Coil_A_Max = max, Coil_A_Imax = imax, Label21 = gainLabel;
    Coil_A_Gain = gain, LinTable_A = lin, Label28 = lLabel, Coil_A_GainL = gainL, Gain_A_Label_L = unitL;
    Label29 = iLabel, Coil_A_GainI = gainI, Gain_A_Label_I = unitI, Label14 = bandLabel, Coil_A_Dead_Band = band;
    Label6 = correctLabel, Coil_A_Correct = correct;
  } else {
    Coil_B_Min = min, Coil_B_Imin = imin, Coil_B_Max = max, Coil_B_Imax = imax, Label26 = gainLabel;
    Coil_B_Gain = gain, LinTable_B = lin, Label30 = lLabel, Coil_B_GainL = gainL, Gain_B_Label_L = unitL;
    Label31 = iLabel, Coil_B_GainI = gainI, Gain_B_Label_I = unitI, Label15 = bandLabel, Coil_B_Dead_Band = band;
    Label13 = correctLabel, Coil_B_Correct = correct;
  }
}

void TPgm::CreateRemoteGroup() {
  auto& f = components_;
  ManualControl = MakeGroup(f, this, "ManualControl", {13, 382, 481, 91}, DesignText(" Sterowanie zdalne "));
  // A change of the bar parks the focus on the group. Without a focus policy
  // of its own a group hands it on to its first control, the remote-control
  // box, where a stray Space would switch remote control; it keeps it instead
  // (no Tab stop: Tab goes on to the controls inside).
  ManualControl->setFocusPolicy(Qt::ClickFocus);
  // The check box sits on the group's caption line, right after the caption.
  const int captionEnd = 8 + ManualControl->fontMetrics().horizontalAdvance(ManualControl->title()) + 6;
  // Its box starts on the group's top edge (the box of the group is not cut off);
  // the tick square keeps its place on the caption line.
  RemoteControl = MakeCheckBox(f, ManualControl, "RemoteControl", {captionEnd, 0, 18, 16}, QString(),
                               DesignText(" Włącz/wyłącz zdalne sterowanie rozdzielacza "));
  Set_Low = MakeLabel(f, ManualControl, "Set_Low", 14, 20, DesignText("-10"));
  Set_Mid = MakeLabel(f, ManualControl, "Set_Mid", 156, 20, DesignText(" 0"));
  Set_Hi = MakeLabel(f, ManualControl, "Set_Hi", 294, 20, DesignText("10"));
  Set_Bar = new QSlider(Qt::Horizontal, ManualControl);
  Set_Bar->setObjectName(QStringLiteral("Set_Bar"));
  Set_Bar->setGeometry(10, 34, 304, 28);
  Set_Bar->setRange(-100, 100);
  Set_Bar->setValue(0);
  Set_Bar->setPageStep(10);
  Set_Bar->setTickInterval(5);
  Set_Bar->setTickPosition(QSlider::TicksBelow);
  Set_Bar->setToolTip(DesignText(" Wartość zadana "));
  f.add(Set_Bar, "TTrackBar");
  Set_Val = MakeLabel(f, ManualControl, "Set_Val", {326, 41, 52, 16}, DesignText("0.000"));
  Set_Val->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SendSetValue = MakeButton(f, ManualControl, "SendSetValue", {382, 37, 26, 24}, DesignText(">"));
  AutoMode = MakeButton(f, ManualControl, "AutoMode", {418, 18, 54, 24}, DesignText("Auto"),
                        DesignText(" Symulacja okresowego napięciowego sygnału wejściowego "));
  ShowChart = MakeButton(f, ManualControl, "ShowChart", {418, 50, 54, 24}, DesignText("Wykres"),
                         DesignText(" Przebieg ostatniego procesu regulacji "));
  SimulationHint = MakeLabel(f, ManualControl, "SimulationHint", 8, 70, DesignText("?"));
  // The outputs the valve keeps driving by the program's command. Not one of
  // the design's components: the access rules leave it alone, it is empty
  // while nothing is on.
  OutputsOn = new ui::Label(ManualControl);
  OutputsOn->setObjectName(QStringLiteral("OutputsOn"));
  OutputsOn->setGeometry(24, 69, 384, 15);
  OutputsOn->setFontColor(QColor(192, 0, 0));
}

void TPgm::CreateBottomRow() {
  auto& f = components_;
  ReadParameters = MakeButton(f, this, "ReadParameters", {14, 486, 80, 24}, DesignText(" O&dczytaj "));
  SendParameters = MakeButton(f, this, "SendParameters", {147, 486, 80, 24}, DesignText("  Prz&eślij  "));
  WriteParameters = MakeButton(f, this, "WriteParameters", {280, 486, 80, 24}, DesignText("  &Zapisz "));
  Reset = MakeButton(f, this, "Reset", {413, 486, 80, 24}, DesignText(" &Reset "), DesignText(" Resetuj rozdzielacz "));
  PortState = new ui::Shape(this);
  PortState->setObjectName(QStringLiteral("PortState"));
  PortState->setGeometry(516, 494, 22, 9);
  PortState->setToolTip(DesignText(" Stan portu COM "));
  f.add(PortState, "TShape");
  DisConnect = MakeButton(f, this, "DisConnect", {550, 486, 132, 24}, DesignText("&Połącz"),
                          DesignText(" Połącz z rozdzielaczem "));
}

}  // namespace tvx::app
