#include "app/access_tags.h"

#include "params/register_map.h"
#include "ui/access_rules.h"

#include <algorithm>
#include <iterator>

namespace tvx::app {

namespace {

const TagGroup Tags[] = {
    {0x0000,
     {"PortState", "DisConnect", "Options", "FirmVer",      "SoftVer",     "CurrentState",     "Label32", "Label35",
      "Label36",   "Label44",    "Label47", "Info_Usupply", "Info_Temp",   "Info_Coil_A_Iavg", "Label39", "Label59",
      "Label2",    "ComPort",    "Drivers", "LVDT_Mode",    "Positions_3", "Voltage_Mode"}},
    {0x0002, {"Label37", "Label48", "Info_Coil_B_Iavg"}},
    {0x0004,
     {"InfoRefresh", "RampSetup", "SelectSetup", "ReadParameters", "WriteParameters", "Reset", "ManualControl",
      "ShowChart", "RemoteControl", "SendParameters"}},
    {0x0024, {"SendSetValue"}},
    {0x0080,
     {"TabSheet1", "StopCodeLabel", "StopInfo", "TabSheet2", "TabSheet3", "Set_Low", "Set_Mid", "Set_Hi", "Set_Val",
      "SimulationHint", "Set_Bar", "Bottom", "Zero", "Top", "SaveDialog"}},
    {0x0100,
     {"Label58",         "Parameters",      "PWM_Label",        "Label7",     "Label27", "Label8",  "PWM",
      "Solenoid_B_GBox", "PID_Parameters",  "Label16",          "Label17",    "Label18", "PID_P",   "PID_I",
      "PID_D",           "Solenoid_A_GBox", "Coil_A_Min",       "Coil_A_Max", "Label14", "Label21", "Coil_A_Gain",
      "Coil_A_Imin",     "Coil_A_Imax",     "Coil_A_Dead_Band", "DAC_Imax"}},
    {0x0101,
     {"Coil_B_Min", "Coil_B_Max", "Label15", "Label26", "Coil_B_Gain", "Coil_B_Imax", "Coil_B_Dead_Band",
      "Coil_B_Imin"}},
    {0x0104, {"ServiceOptions"}},
    {0x0108, {"Gain_A_Label_L", "Label28", "Coil_A_GainL"}},
    {0x0109, {"Gain_B_Label_L", "Coil_B_GainL"}},
    {0x0110, {"Gain_A_Label_I", "Label29", "Coil_A_GainI"}},
    {0x0111, {"Gain_B_Label_I", "Coil_B_GainI"}},
    {0x0200,
     {"Label33",    "Label45",     "Label49", "Info_Upower", "Label40",         "Label41",        "Info_Usupply_Max",
      "Coil_A_Set", "Coil_A_Peak", "Label11", "Label52",     "Coil_A_Set_Type", "Info_IN2_Value", "IN2_Type_Label",
      "Label57",    "Label43",     "Label10", "Label50",     "Label9",          "Label55",        "Label42",
      "Label60",    "Label62",     "Label65", "Label6",      "Coil_A_Correct"}},
    {0x0201, {"Label13", "Coil_B_Correct"}},
    {0x0202, {"Coil_B_Set", "Coil_B_Peak", "Label12", "Label51", "Label53", "Coil_B_Set_Type"}},
    {0x0204, {"Reset_Usupply_Max", "Reset_Temp_Max", "Send_IN1_Offset",  "Send_DigiPot",   "Send_DAC_Gain",
              "Send_DAC",          "Send_ADC_Gain",  "Send_LVDT_Offset", "Send_LVDT_Gain", "Dynamic_PID",
              "IN1_4_20_Offset",   "DigiPot_Value",  "DAC_Gain",         "DAC_Value",      "EnableDAC_Override",
              "ADC_Gain",          "LVDT_Offset",    "LVDT_Gain",        "History",        "Backup"}},
    {0x0208, {"Label46", "LvdtLabel", "Info_Lvdt", "Label63", "LvdtPidLabel", "Info_Lvdt_PID"}},
    {0x0209, {"Label30"}},
    {0x020C, {"LVDT_Setup"}},
    {0x0211, {"Label31"}},
    {0x0214, {"LinTable_A"}},
    {0x0215, {"LinTable_B"}},
    {0x0300, {"Label56", "Label61"}},
    {0x0304, {"PWM_Manual", "ErrorSetup"}},
    {0x0400, {"DebugPanel"}},
    {0x0404, {"EnableBreakpoint", "ServiceMode"}},
    {0x1000, {"BankPanel"}},
    {0x2000, {"DeviceType"}},
    {0x2024, {"AutoMode"}},
    {0x3100, {"I_Limit", "Near_Zero_Zone"}},
    {0x3308, {"LVDT_CrossWire"}},
};

}  // namespace

std::span<const TagGroup> MainWindowTags() { return Tags; }

std::optional<std::uint16_t> ControlTag(std::string_view name) {
  for (const TagGroup& group : Tags)
    if (std::find(group.names.begin(), group.names.end(), name) != group.names.end()) return group.tag;
  if (const params::OptionBox* box = params::FindOptionBox(name)) return box->tag;
  for (const params::OptionsDialogTag& t : params::OptionsDialogTags)
    if (t.name == name) return t.tag;
  return std::nullopt;
}

bool WindowShows(std::string_view name, int level, bool twoSolenoids) {
  const std::optional<std::uint16_t> tag = ControlTag(name);
  if (!tag || !access::IsManaged(*tag)) return true;
  access::States states;
  states.accessLevel = level;
  states.twoSolenoids = twoSolenoids;
  return access::IsShown(*tag, states);
}

int ShownLevel(std::uint16_t tag) { return access::DisplayLevel(tag); }

int OperateLevel(std::uint16_t tag) { return std::max(access::DisplayLevel(tag), access::UseLevel(tag)); }

int EditLevel(std::string_view name) {
  // The configuration word as a whole: its check boxes range up to level 2.
  if (name == ConfigurationName) return 2;
  const params::ParameterRegister* row = params::FindParameterByField(name);
  // Held words are changed by the service dialogs.
  if (row && row->holder == params::Holder::Held) return HeldEditLevel;
  const std::optional<std::uint16_t> tag = ControlTag(name);
  return tag ? std::max(OperateLevel(*tag), 1) : 1;
}

int ShowLevel(std::string_view name) {
  if (const std::optional<std::uint16_t> tag = ControlTag(name)) return std::max(ShownLevel(*tag), 1);
  return EditLevel(name);
}

}  // namespace tvx::app
