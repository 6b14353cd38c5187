// TPgm construction, right half of the window: the page control with its tabs
// "Pomiary", "Serwis" and "Port COM", the About picture, and the components
// without a place on screen (timers, save dialog, pop-up menu, memo).
#include "app/main_window.h"
#include "app/program_resources.h"
#include "program_info.h"
#include "ui/form_components.h"
#include "ui/numeric_key_filter.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"
#include "view/no_value.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace tvx::app {

using ui::DesignText;
using ui::MakeButton;
using ui::MakeCheckBox;
using ui::MakeEdit;
using ui::MakeGroup;
using ui::MakeLabel;
using ui::MakePanel;

namespace {
const QString NotRead = QString::fromLatin1(view::NoValueText);
constexpr int ServiceFieldLength = 8;
}  // namespace

void TPgm::CreatePageControl() {
  Options = new QTabWidget(this);
  Options->setObjectName(QStringLiteral("Options"));
  Options->setGeometry(508, 21, 182, 452);
  // Compact tabs, so that all three fit the control's width as the layout intends.
  Options->setUsesScrollButtons(false);
  Options->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
  components_.add(Options, "TPageControl");
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  Options->addTab(TabSheet1, QStringLiteral("Pomiary"));
  components_.add(TabSheet1, "TTabSheet");
  CreateMeasurementsTab();
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  Options->addTab(TabSheet2, QStringLiteral("Serwis"));
  components_.add(TabSheet2, "TTabSheet");
  CreateServiceTab();
  TabSheet3 = new QWidget;
  TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  Options->addTab(TabSheet3, QStringLiteral("Port COM"));
  components_.add(TabSheet3, "TTabSheet");
  CreatePortTab();
}

void TPgm::CreateMeasurementsTab() {
  auto& f = components_;
  CurrentState = MakeGroup(f, TabSheet1, "CurrentState", {3, 2, 170, 302}, DesignText(" Aktualny stan urządzenia "));
  QWidget* g = CurrentState;
  // One row: caption, colon, value. Values read "0" until the first refresh.
  int row = 0;
  auto line = [&](ui::Label*& caption, const char* captionName, const char* captionText, const char* captionHint,
                  ui::Label*& colon, const char* colonName, ui::Label*& value, const char* valueName,
                  const char* initial = "0") {
    const int y = 18 + 16 * row++;
    caption =
        MakeLabel(f, g, captionName, 6, y, DesignText(captionText), captionHint ? DesignText(captionHint) : QString());
    colon = MakeLabel(f, g, colonName, 62, y, DesignText(":"));
    value = MakeLabel(f, g, valueName, {70, y, 70, 14}, DesignText(initial));
  };
  line(Label32, "Label32", "Uzas", nullptr, Label35, "Label35", Info_Usupply, "Info_Usupply");
  line(Label33, "Label33", "Upower", nullptr, Label45, "Label45", Info_Upower, "Info_Upower");
  line(Label40, "Label40", "Uzas max", " Maksymalne zmierzone napięcie zasilania powyżej dozwolonej wartości ", Label41,
       "Label41", Info_Usupply_Max, "Info_Usupply_Max");
  Reset_Usupply_Max = MakeButton(f, g, "Reset_Usupply_Max", {144, 18 + 16 * 2 - 2, 20, 17}, DesignText("0"),
                                 DesignText(" Zeruj pamięć przekroczeń Uzas "));
  line(Label36, "Label36", "TC1047", " Temperatura odczytana z czujnika TC1047 ", Label44, "Label44", Info_Temp,
       "Info_Temp", "0 ");
  Reset_Temp_Max = MakeButton(f, g, "Reset_Temp_Max", {144, 18 + 16 * 3 - 2, 20, 17}, DesignText("0"),
                              DesignText(" Zeruj pamięć temperatury maksymalnej "));
  line(Label47, "Label47", "Iavg A", " Aktualny prąd cewki A ", Label39, "Label39", Info_Coil_A_Iavg,
       "Info_Coil_A_Iavg");
  line(Label37, "Label37", "Iavg B", " Aktualny prąd cewki B ", Label48, "Label48", Info_Coil_B_Iavg,
       "Info_Coil_B_Iavg");
  line(Label49, "Label49", "Ipeak A", " Maksymalny zmierzony prąd cewki A ", Label11, "Label11", Coil_A_Peak,
       "Coil_A_Peak");
  line(Label12, "Label12", "Ipeak B", " Maksymalny zmierzony prąd cewki B ", Label51, "Label51", Coil_B_Peak,
       "Coil_B_Peak");
  line(Coil_A_Set_Type, "Coil_A_Set_Type", "Iset A", " Prąd zadany cewki A ", Label52, "Label52", Coil_A_Set,
       "Coil_A_Set");
  line(Coil_B_Set_Type, "Coil_B_Set_Type", "Iset B", " Prąd zadany cewki B ", Label53, "Label53", Coil_B_Set,
       "Coil_B_Set");
  line(LvdtLabel, "LvdtLabel", "Lvdt U", " Położenie czujnika LVDT ", Label46, "Label46", Info_Lvdt, "Info_Lvdt");
  line(LvdtPidLabel, "LvdtPidLabel", "Lvdt U pid", " Położenie czujnika LVDT po linearyzacji i korekcie wzmocnienia ",
       Label63, "Label63", Info_Lvdt_PID, "Info_Lvdt_PID");
  line(IN2_Type_Label, "IN2_Type_Label", "We2", nullptr, Label57, "Label57", Info_IN2_Value, "Info_IN2_Value");

  InfoRefresh = MakeButton(f, g, "InfoRefresh", {6, 234, 90, 24}, DesignText(" Odśwież "));
  StopCodeLabel = MakeLabel(f, g, "StopCodeLabel", {6, 262, 158, 16}, DesignText("STOP  xx"),
                            DesignText(" Kod błędu powodującego zatrzymanie "));
  StopInfo = MakeLabel(f, g, "StopInfo", {6, 280, 158, 16}, QString());
  QFont bold = StopCodeLabel->font();
  bold.setBold(true);
  StopCodeLabel->setFont(bold);
  StopCodeLabel->setFontColor(Qt::red);
  StopInfo->setFontColor(Qt::red);
  // No stop is known before the first status refresh.
  StopCodeLabel->setVisible(false);
  StopInfo->setVisible(false);

  FirmVer = MakeLabel(f, TabSheet1, "FirmVer", {6, 378, 168, 16}, DesignText("Firmware:"));
  SoftVer = MakeLabel(f, TabSheet1, "SoftVer", {6, 396, 168, 16}, DesignText("Software:"));
  for (ui::Label* l : {FirmVer, SoftVer, Coil_A_Set, Coil_B_Set}) l->setMouseTracking(true);
}

void TPgm::CreateServiceTab() {
  auto& f = components_;
  QWidget* t = TabSheet2;
  struct Row {
    ui::Label*& label;
    const char* labelName;
    const char* caption;
    ui::ValveField*& field;
    const char* fieldName;
    const char* fieldHint;
    int typedLimit;
    ui::NumericKeys keys;
    QPushButton*& send;
    const char* sendName;
    const char* sendHint;
  };
  const Row rows[] = {
      {Label43, "Label43", "Korekta zera  WE1  4_20mA [mA]", IN1_4_20_Offset, "IN1_4_20_Offset",
       " Wartość korekty wejścia ADC WE1 4_20mA, zakres liczbowy -99...999 ", ServiceFieldLength,
       ui::NumericKeys::Signed, Send_IN1_Offset, "Send_IN1_Offset",
       " Prześlij korektę wartości na wejściu ADC_WE1_4_20mA "},
      {Label10, "Label10", "Potencjometr cyfrowy", DigiPot_Value, "DigiPot_Value", " Wartość maksymalna 255 ", 3,
       ui::NumericKeys::Unsigned, Send_DigiPot, "Send_DigiPot", " Prześlij ustawienie potencjometru cyfrowego "},
      {Label50, "Label50", "Wzmocnienie wyjścia DAC", DAC_Gain, "DAC_Gain", " Wartość korekty wzmocnienia wyjścia DAC ",
       ServiceFieldLength, ui::NumericKeys::Unsigned, Send_DAC_Gain, "Send_DAC_Gain",
       " Prześlij korektę wzmocnienia wyjścia DAC "},
      {Label9, "Label9", "Wzmocnienie  WE1 4_20mA", ADC_Gain, "ADC_Gain",
       " Wartość korekty wzmocnienia wejścia ADC WE1 4_20mA ", ServiceFieldLength, ui::NumericKeys::Unsigned,
       Send_ADC_Gain, "Send_ADC_Gain", " Prześlij korektę wzmocnienia wejścia ADC  WE1 4_20mA "},
      {Label55, "Label55", "Korekta zera wejścia LVDT [V]", LVDT_Offset, "LVDT_Offset",
       " Wartość korekty wejścia LVDT [V] ", ServiceFieldLength, ui::NumericKeys::Signed, Send_LVDT_Offset,
       "Send_LVDT_Offset", " Prześlij korektę wartości na wejściu LVDT "},
      {Label42, "Label42", "Wzmocnienie wejścia LVDT", LVDT_Gain, "LVDT_Gain",
       " Wartość korekty wzmocnienie sygnału z czujnika LVDT ", ServiceFieldLength, ui::NumericKeys::Unsigned,
       Send_LVDT_Gain, "Send_LVDT_Gain", " Prześlij korektę wzmocnienia wejścia LVDT "},
  };
  int y = 4;
  for (const Row& r : rows) {
    r.label = MakeLabel(f, t, r.labelName, 6, y, DesignText(r.caption));
    r.field = MakeEdit(f, t, r.fieldName, {6, y + 15, 96, 21}, r.typedLimit, NotRead, DesignText(r.fieldHint));
    ui::InstallNumericKeyFilter(r.field, r.keys);
    r.send = MakeButton(f, t, r.sendName, {106, y + 14, 28, 23}, DesignText("»"), DesignText(r.sendHint));
    y += 41;
  }
  Label60 = MakeLabel(f, t, "Label60", 6, y, DesignText("Stan wyjścia DAC"));
  DAC_Value = MakeEdit(f, t, "DAC_Value", {6, y + 15, 48, 21}, 4, NotRead);
  ui::InstallNumericKeyFilter(DAC_Value);
  EnableDAC_Override = MakeCheckBox(f, t, "EnableDAC_Override", {60, y + 16, 70, 19}, DesignText("ręcznie"),
                                    DesignText(" Uaktywnij sterowanie ręczne wyjścia DAC "));
  Send_DAC = MakeButton(f, t, "Send_DAC", {134, y + 14, 28, 23}, DesignText("»"),
                        DesignText(" Prześlij nowy stan wyjścia DAC "));
  y += 52;

  // Buttons that open the service dialogs, each with its label.
  auto opener = [&](QPushButton*& button, const char* name, const char* hint, ui::Label*& label, const char* labelName,
                    const char* caption, int x, int rowY) {
    button = MakeButton(f, t, name, {x, rowY, 28, 23}, DesignText("..."), hint ? DesignText(hint) : QString());
    label = MakeLabel(f, t, labelName, x + 33, rowY + 4, DesignText(caption));
  };
  opener(RampSetup, "RampSetup", " Parametry rampy ", Label2, "Label2", "Rampa", 6, y);
  opener(ServiceOptions, "ServiceOptions", " Opcje konfiguracji rozdzielacza ", Label58, "Label58", "Opcje", 6, y + 28);
  opener(ErrorSetup, "ErrorSetup", " Lista obsługiwanych błędów ", Label56, "Label56", "Błędy", 6, y + 56);
  opener(PWM_Manual, "PWM_Manual", " Ręczne sterowanie wyjściami PWM elektromagnesów ", Label61, "Label61", "PWM", 90,
         y);
  opener(Dynamic_PID, "Dynamic_PID", " Parametry regulatora PID dla dużego błędu regulacji ", Label62, "Label62", "PID",
         90, y + 28);
  opener(LVDT_Setup, "LVDT_Setup", nullptr, Label65, "Label65", "LVDT", 90, y + 56);
}

void TPgm::CreatePortTab() {
  auto& f = components_;
  QWidget* t = TabSheet3;
  Label59 = MakeLabel(f, t, "Label59", 8, 15, DesignText("COM"));
  ComPort = new QComboBox(t);
  ComPort->setObjectName(QStringLiteral("ComPort"));
  ComPort->setGeometry(40, 10, 110, 22);
  ComPort->setToolTip(DesignText(" Port komunikacji szeregowej "));
  for (int n = 1; n <= 16; ++n) ComPort->addItem(QStringLiteral("COM%1").arg(n));
  ComPort->setCurrentIndex(-1);
  f.add(ComPort, "TComboBox");
  EnableBreakpoint = MakeCheckBox(f, t, "EnableBreakpoint", {8, 44, 150, 19}, DesignText("breakpoint enb"),
                                  DesignText(" Ustaw znacznik breakpoint (tylko dla celów uruchomieniowych) "));
  ServiceMode = MakeCheckBox(f, t, "ServiceMode", {8, 66, 150, 19}, DesignText("tryb serwisowy"),
                             DesignText(" Włącz tryb serwisowy (tylko dla celów uruchomieniowych) "));
  DebugPanel = MakePanel(f, t, "DebugPanel", {8, 94, 150, 24}, NotRead,
                         DesignText(" Informacje pomocnicze dla producenta oprogramowania "));
  Drivers = MakeButton(f, t, "Drivers", {8, 130, 110, 25}, DesignText("Sterownik USB"),
                       DesignText(" Zapisz na dysku pliki sterownika "));
  History = MakeButton(f, t, "History", {8, 166, 110, 25}, QStringLiteral("Historia"),
                       QStringLiteral(" Zapisy ustawień tego zaworu: porównanie z oknem i przywrócenie "));
  Backup = MakeButton(f, t, "Backup", {8, 198, 110, 25}, QStringLiteral("Kopia zapasowa"),
                      QStringLiteral(" Odczytaj profile użytkownika z rozdzielacza i zachowaj je w historii zaworu "));
}

void TPgm::CreateOtherComponents() {
  auto& f = components_;
  AboutImage = new ui::Image(this);
  AboutImage->setObjectName(QStringLiteral("AboutImage"));
  AboutImage->setGeometry(ClientWidth - 32, 3, 32, 32);  // flush with the right edge, not cut by it
  AboutImage->setPixmap(QPixmap(QString::fromLatin1(IconResource)));
  AboutImage->raise();
  f.add(AboutImage, "TImage");

  // A developer's scratch memo, placed beyond the window's width.
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(ClientWidth + 16, 21, 180, 452);
  f.add(Memo1, "TMemo");

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1500);
  f.add(Timer1, "TTimer");
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(750);
  f.add(Timer2, "TTimer");
  // Not a component of the window's design: it only watches the link.
  PortWatch = new QTimer(this);
  PortWatch->setObjectName(QStringLiteral("PortWatch"));
  PortWatch->setInterval(250);

  SaveDialog = new ui::SaveDialog(this);
  SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
  f.add(SaveDialog, "TSaveDialog");

  DAC_Cal = new QMenu(this);
  DAC_Cal->setObjectName(QStringLiteral("DAC_Cal"));
  f.add(DAC_Cal, "TPopupMenu");
  Bottom = DAC_Cal->addAction(DesignText("  -10V       4mA"));
  Bottom->setObjectName(QStringLiteral("Bottom"));
  f.add(Bottom, "TMenuItem");
  Zero = DAC_Cal->addAction(DesignText("     0V  -  12mA"));
  Zero->setObjectName(QStringLiteral("Zero"));
  f.add(Zero, "TMenuItem");
  Top = DAC_Cal->addAction(DesignText("+10V  -  20mA"));
  Top->setObjectName(QStringLiteral("Top"));
  f.add(Top, "TMenuItem");
  // The pop-up belongs to the DAC field and to the valve group.
  for (QWidget* w : {static_cast<QWidget*>(DAC_Value), static_cast<QWidget*>(DeviceType)}) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& at) { DAC_Cal->popup(w->mapToGlobal(at)); });
  }
}

}  // namespace tvx::app
