// The valve's numbering in one place: the parameter registers of the whole
// parameter set, the bits of the configuration word, the state registers, the
// commands and the parameter registers that dialogs read and write one at a
// time. Every other module takes its numbers from here.
//
// Header-only data; the wire constants (block registers, text registers, the
// profile-bank command) come from the link's protocol header. Parameter registers, state registers and
// commands are three separate number spaces: parameter register 110 (LVDT gain)
// has nothing to do with command 110 (service mode).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/protocol.h"

namespace tvx::params {

// ---------------------------------------------------------------------------
// Parameter set (parameter registers 1..128, read at once with the 512-byte
// block of state register 31)

inline constexpr int ParameterWords = static_cast<int>(proto::ParameterWords);

// How a register's 32-bit word is to be understood.
enum class Encoding : std::uint8_t {
  UnsignedInt,  // shown in unsigned decimal
  Float,        // bit pattern of an IEEE-754 single
  YesNo,        // 0xAAAAAAAA yes, anything else no (0x55555555 when written)
  BitSet,       // configuration word, error mask
};

// Where the program keeps a register's value between a read and a send.
enum class Holder : std::uint8_t {
  ConfigWord,     // register 1: mode labels and check boxes, see ConfigBit
  MainWindow,     // an edit field of the main window, as text
  OptionsDialog,  // an edit field of the options dialog, as text
  Held,           // no field: a word kept in memory (dialogs change it)
};

struct ParameterRegister {
  int number;
  std::string_view meaning;
  Encoding encoding;
  int decimals;  // decimals of a float shown in a field (3 or 6), else 0
  Holder holder;
  std::string_view field;  // component name of the field, or the held item's name
  bool read;               // taken from the block by the whole-set read
  bool sent;               // written by the whole-set send
};

// Parameter registers. Named so that nobody writes the numbers as literals.
namespace reg {
inline constexpr int Configuration = 1;
inline constexpr int PWM = 2;
inline constexpr int Coil_A_Imin = 3;
inline constexpr int Coil_A_Imax = 4;
inline constexpr int Coil_B_Imin = 5;
inline constexpr int Coil_B_Imax = 6;
inline constexpr int I_Limit = 11;
inline constexpr int Coil_A_Dead_Band = 12;
inline constexpr int Coil_B_Dead_Band = 13;
inline constexpr int Coil_A_Correct = 14;
inline constexpr int Coil_B_Correct = 15;
inline constexpr int Coil_A_GainI = 16;
inline constexpr int Coil_B_GainI = 17;
inline constexpr int PID_P = 18;
inline constexpr int PID_I = 19;
inline constexpr int PID_D = 20;
inline constexpr int DigiPot_Value = 21;
inline constexpr int Near_Zero_Zone = 22;
inline constexpr int LinTableA_Base = 23;  // measured 23..33, corrected 34..44
inline constexpr int LinTableB_Base = 45;  // measured 45..55, corrected 56..66
inline constexpr int ErrorMask = 67;       // bit i enables error i+1; bit 15: limit from 115
inline constexpr int Coil_A_GainL = 68;
inline constexpr int Coil_B_GainL = 69;
inline constexpr int RampA_Rise = 70;
inline constexpr int RampA_Fall = 71;
inline constexpr int RampB_Rise = 72;
inline constexpr int RampB_Fall = 73;
inline constexpr int LinTableLvdt_Base = 74;  // measured 74..84, corrected 85..95
inline constexpr int TraceInterval = 96;
inline constexpr int IN1_4_20_Offset = 97;
inline constexpr int DAC_Gain = 98;
inline constexpr int ADC_Gain = 99;
inline constexpr int LVDT_Offset = 100;
inline constexpr int NearZeroLimitA = 101;
inline constexpr int NearZeroLimitB = 102;
inline constexpr int NearZeroKp = 103;
inline constexpr int NearZeroKi = 104;
inline constexpr int AutoAmplitude = 105;
inline constexpr int AutoFrequency = 106;
inline constexpr int AutoOffset = 107;
inline constexpr int AutoWaveform = 108;
inline constexpr int ChannelMask = 109;
inline constexpr int LVDT_Gain = 110;
inline constexpr int LargeErrorKp = 111;
inline constexpr int LargeErrorKi = 112;
inline constexpr int LargeErrorCurrent = 113;
inline constexpr int LargeErrorPosition = 114;
inline constexpr int TemperatureWarning = 115;
inline constexpr int TemperatureStop = 116;
inline constexpr int Ramp_Start_Delay = 117;
inline constexpr int Dither_Ampl = 118;
inline constexpr int Dither_Freq = 119;
inline constexpr int MonitorSource = 120;
inline constexpr int DAC_Imax = 121;
inline constexpr int StartDelay = 122;
}  // namespace reg

// Bit of the error mask (register 67) that makes the temperature limit come
// from register 115.
inline constexpr std::uint32_t ErrorMaskTemperatureLimitBit = 0x8000u;

// Every register the whole-set read and send carry, in register order, which is
// also the order in which the read fills the fields and the send writes them.
inline constexpr std::array<ParameterRegister, 35> ParameterSet{{
    {reg::Configuration, "configuration word", Encoding::BitSet, 0, Holder::ConfigWord, "", true, true},
    {reg::PWM, "PWM frequency of the solenoid drive [Hz]", Encoding::UnsignedInt, 0, Holder::MainWindow, "PWM", true,
     true},
    {reg::Coil_A_Imin, "solenoid A minimum current [A]", Encoding::Float, 3, Holder::MainWindow, "Coil_A_Imin", true,
     true},
    {reg::Coil_A_Imax, "solenoid A maximum current [A]", Encoding::Float, 3, Holder::MainWindow, "Coil_A_Imax", true,
     true},
    {reg::Coil_B_Imin, "solenoid B minimum current [A]", Encoding::Float, 3, Holder::MainWindow, "Coil_B_Imin", true,
     true},
    {reg::Coil_B_Imax, "solenoid B maximum current [A]", Encoding::Float, 3, Holder::MainWindow, "Coil_B_Imax", true,
     true},
    {reg::I_Limit, "short-circuit current threshold [A]", Encoding::Float, 3, Holder::MainWindow, "I_Limit", true,
     true},
    {reg::Coil_A_Dead_Band, "solenoid A sensitivity threshold [%]", Encoding::Float, 3, Holder::MainWindow,
     "Coil_A_Dead_Band", true, true},
    {reg::Coil_B_Dead_Band, "solenoid B sensitivity threshold [%]", Encoding::Float, 3, Holder::MainWindow,
     "Coil_B_Dead_Band", true, true},
    {reg::Coil_A_Correct, "solenoid A current-reading correction", Encoding::Float, 3, Holder::MainWindow,
     "Coil_A_Correct", true, true},
    {reg::Coil_B_Correct, "solenoid B current-reading correction", Encoding::Float, 3, Holder::MainWindow,
     "Coil_B_Correct", true, true},
    {reg::Coil_A_GainI, "solenoid A gain without LVDT", Encoding::Float, 3, Holder::MainWindow, "Coil_A_GainI", true,
     true},
    {reg::Coil_B_GainI, "solenoid B gain without LVDT", Encoding::Float, 3, Holder::MainWindow, "Coil_B_GainI", true,
     true},
    {reg::PID_P, "regulator Kp", Encoding::Float, 3, Holder::MainWindow, "PID_P", true, true},
    {reg::PID_I, "regulator Ki", Encoding::Float, 3, Holder::MainWindow, "PID_I", true, true},
    {reg::PID_D, "regulator Kd", Encoding::Float, 3, Holder::MainWindow, "PID_D", true, true},
    {reg::DigiPot_Value, "digital potentiometer setting (0..255)", Encoding::UnsignedInt, 0, Holder::MainWindow,
     "DigiPot_Value", true, true},
    {reg::Near_Zero_Zone, "near-zero creep filter zone of the set value [mV]", Encoding::Float, 3, Holder::MainWindow,
     "Near_Zero_Zone", true, true},
    {reg::ErrorMask, "critical-error enable mask", Encoding::BitSet, 0, Holder::Held, "ErrorMask", true, true},
    {reg::Coil_A_GainL, "solenoid A gain with LVDT", Encoding::Float, 3, Holder::MainWindow, "Coil_A_GainL", true,
     true},
    {reg::Coil_B_GainL, "solenoid B gain with LVDT", Encoding::Float, 3, Holder::MainWindow, "Coil_B_GainL", true,
     true},
    {reg::TraceInterval, "trace recording interval", Encoding::UnsignedInt, 0, Holder::Held, "TraceInterval", true,
     true},
    {reg::IN1_4_20_Offset, "zero correction of input WE1 4-20 mA [mA]", Encoding::Float, 6, Holder::MainWindow,
     "IN1_4_20_Offset", true, true},
    {reg::DAC_Gain, "gain correction of the DAC output", Encoding::Float, 6, Holder::MainWindow, "DAC_Gain", true,
     true},
    {reg::ADC_Gain, "gain correction of input WE1 4-20 mA", Encoding::Float, 6, Holder::MainWindow, "ADC_Gain", true,
     true},
    {reg::LVDT_Offset, "zero correction of the LVDT input [V]", Encoding::Float, 6, Holder::MainWindow, "LVDT_Offset",
     true, true},
    {reg::NearZeroKp, "Kp near the LVDT zero position", Encoding::Float, 3, Holder::Held, "NearZeroKp", true, false},
    {reg::NearZeroKi, "Ki near the LVDT zero position", Encoding::Float, 3, Holder::Held, "NearZeroKi", true, false},
    {reg::LVDT_Gain, "gain correction of the LVDT input", Encoding::Float, 6, Holder::MainWindow, "LVDT_Gain", true,
     true},
    {reg::LargeErrorKp, "Kp for a large regulation error", Encoding::Float, 3, Holder::Held, "LargeErrorKp", true,
     false},
    {reg::LargeErrorKi, "Ki for a large regulation error", Encoding::Float, 3, Holder::Held, "LargeErrorKi", true,
     false},
    {reg::Ramp_Start_Delay, "ramp start delay [ms]", Encoding::UnsignedInt, 0, Holder::OptionsDialog,
     "Ramp_Start_Delay", true, true},
    {reg::Dither_Ampl, "dither amplitude", Encoding::UnsignedInt, 0, Holder::OptionsDialog, "Dither_Ampl", true, true},
    {reg::Dither_Freq, "dither frequency [Hz]", Encoding::UnsignedInt, 0, Holder::OptionsDialog, "Dither_Freq", true,
     true},
    {reg::DAC_Imax, "coil current for full scale on the monitor output [A]", Encoding::Float, 3, Holder::MainWindow,
     "DAC_Imax", true, true},
}};

// The registers after the configuration word, in table order, that the read
// fills into fields and held values, and that the send writes (register 1 is
// written and read back first; each field is converted just before its write).
constexpr std::size_t CountAfterConfiguration(bool ParameterRegister::*column) {
  std::size_t n = 0;
  for (const ParameterRegister& r : ParameterSet) n += (r.number != reg::Configuration && r.*column) ? 1 : 0;
  return n;
}
template <std::size_t N>
constexpr std::array<int, N> OrderAfterConfiguration(bool ParameterRegister::*column) {
  std::array<int, N> order{};
  std::size_t i = 0;
  for (const ParameterRegister& r : ParameterSet)
    if (r.number != reg::Configuration && r.*column) order[i++] = r.number;
  return order;
}
inline constexpr auto ReadOrder =
    OrderAfterConfiguration<CountAfterConfiguration(&ParameterRegister::read)>(&ParameterRegister::read);
inline constexpr auto SendOrder =
    OrderAfterConfiguration<CountAfterConfiguration(&ParameterRegister::sent)>(&ParameterRegister::sent);

// The table row of a register of the whole set, or nullptr.
const ParameterRegister* FindParameter(int number);
// The table row whose field (or held item) has this name, or nullptr.
const ParameterRegister* FindParameterByField(std::string_view field);

// ---------------------------------------------------------------------------
// Configuration word (parameter register 1)

namespace cfg {
inline constexpr int Positions_3 = 0;     // 3 positions (solenoids A and B)
inline constexpr int Voltage_Mode = 1;    // voltage input; clear: 4-20 mA
inline constexpr int LVDT_Mode = 2;       // LVDT position sensor fitted
inline constexpr int LVDT_CrossWire = 3;  // LVDT wired with reversed poles
inline constexpr int Dither_Mode = 4;
inline constexpr int Dither_DAC_Average = 5;
inline constexpr int IWDT_Enabled = 6;
inline constexpr int Report_DAC = 7;
inline constexpr int Filter_DAC = 8;
inline constexpr int Dynamic_PID_Mode = 9;
inline constexpr int RampEnable = 10;  // held, ramp dialog
inline constexpr int Q51_PWM_Sequence = 11;
inline constexpr int UseTable_A = 12;     // held, linearisation table of solenoid A
inline constexpr int UseTable_B = 13;     // held, linearisation table of solenoid B
inline constexpr int UseTable_LVDT = 14;  // held, linearisation table of the LVDT
inline constexpr int Enable_PID2 = 15;
inline constexpr int LowPowerHold = 16;
inline constexpr int MedianFilter = 17;
inline constexpr int Ramp_Set_Val_Delay = 18;
inline constexpr int XPID_LVDT = 19;
inline constexpr int XPID_Ramp_Only = 20;  // held, near-zero PID dialog
inline constexpr int RemoteControl = 21;   // sent only; the read takes state register 1
inline constexpr int New_Ki_Limits = 22;
inline constexpr int No_Filter_Delay = 23;
inline constexpr int SetValDacMode = 24;
inline constexpr int ServiceMode = 31;
}  // namespace cfg

constexpr std::uint32_t BitMask(int bit) { return std::uint32_t{1} << bit; }

// Who holds a configuration bit in the program.
enum class BitHolder : std::uint8_t {
  ModeLabel,     // bit 6 of the tag of a mode label of the main window
  MainCheckBox,  // a check box of the main window
  OptionsCheckBox,
  HeldFlag,  // a flag in memory, changed by a service dialog
};

struct ConfigBit {
  int bit;
  std::string_view name;  // component name (or the held flag's name)
  BitHolder holder;
};

// Every bit the program reads or writes, bit order. Bits 25 to 30 are unused
// (sent as 0, ignored when read).
inline constexpr std::array<ConfigBit, 26> ConfigBits{{
    {cfg::Positions_3, "Positions_3", BitHolder::ModeLabel},
    {cfg::Voltage_Mode, "Voltage_Mode", BitHolder::ModeLabel},
    {cfg::LVDT_Mode, "LVDT_Mode", BitHolder::ModeLabel},
    {cfg::LVDT_CrossWire, "LVDT_CrossWire", BitHolder::MainCheckBox},
    {cfg::Dither_Mode, "Dither_Mode", BitHolder::OptionsCheckBox},
    {cfg::Dither_DAC_Average, "Dither_DAC_Average", BitHolder::OptionsCheckBox},
    {cfg::IWDT_Enabled, "IWDT_Enabled", BitHolder::OptionsCheckBox},
    {cfg::Report_DAC, "Report_DAC", BitHolder::OptionsCheckBox},
    {cfg::Filter_DAC, "Filter_DAC", BitHolder::OptionsCheckBox},
    {cfg::Dynamic_PID_Mode, "Dynamic_PID_Mode", BitHolder::OptionsCheckBox},
    {cfg::RampEnable, "RampEnable", BitHolder::HeldFlag},
    {cfg::Q51_PWM_Sequence, "Q51_PWM_Sequence", BitHolder::OptionsCheckBox},
    {cfg::UseTable_A, "UseTable_A", BitHolder::HeldFlag},
    {cfg::UseTable_B, "UseTable_B", BitHolder::HeldFlag},
    {cfg::UseTable_LVDT, "UseTable_LVDT", BitHolder::HeldFlag},
    {cfg::Enable_PID2, "Enable_PID2", BitHolder::OptionsCheckBox},
    {cfg::LowPowerHold, "LowPowerHold", BitHolder::OptionsCheckBox},
    {cfg::MedianFilter, "MedianFilter", BitHolder::OptionsCheckBox},
    {cfg::Ramp_Set_Val_Delay, "Ramp_Set_Val_Delay", BitHolder::OptionsCheckBox},
    {cfg::XPID_LVDT, "XPID_LVDT", BitHolder::OptionsCheckBox},
    {cfg::XPID_Ramp_Only, "XPID_Ramp_Only", BitHolder::HeldFlag},
    {cfg::RemoteControl, "RemoteControl", BitHolder::MainCheckBox},
    {cfg::New_Ki_Limits, "New_Ki_Limits", BitHolder::OptionsCheckBox},
    {cfg::No_Filter_Delay, "No_Filter_Delay", BitHolder::OptionsCheckBox},
    {cfg::SetValDacMode, "SetValDacMode", BitHolder::OptionsCheckBox},
    {cfg::ServiceMode, "ServiceMode", BitHolder::MainCheckBox},
}};

// The fifteen check boxes of the options dialog, top to bottom: each sends its
// switch command (yes/no word) when clicked while the dialog is active, and is
// one bit of the configuration word.
struct OptionBox {
  std::string_view name;
  int command;
  int bit;
  std::uint16_t tag;
  std::string_view caption;
  std::string_view hint;  // empty for Q51_PWM_Sequence: see Q51SequenceHint
};

inline constexpr std::array<OptionBox, 15> OptionBoxes{{
    {"Enable_PID2", 7, cfg::Enable_PID2, 0x0200, "regulator PID V2 dla LVDT 3P",
     " Nowy regulator PID dla rozdzielacza 3-położeniowego z czujnikiem LVDT "},
    {"XPID_LVDT", 10, cfg::XPID_LVDT, 0x0200, "dynamiczny regulator PID w pobliżu zera LVDT",
     " Wartość współczynników Kp i Ki regulatora PID dla LVDT korygowana w pobliżu położenia zerowego "},
    {"Dynamic_PID_Mode", 24, cfg::Dynamic_PID_Mode, 0x0200, "dynamiczny regulator PID dla dużego błędu",
     " Wartość współczynników Kp i Ki regulatora PID korygowana dla dużego błędu regulacji "},
    {"New_Ki_Limits", 13, cfg::New_Ki_Limits, 0x0200, "ograniczanie składnika PID Integrator",
     " Elastyczne ograniczanie składowej I regulatora PID, ze zmiennym Kp i Ki po przekroczeniu Imax "},
    {"No_Filter_Delay", 14, cfg::No_Filter_Delay, 0x0200, "szybka filtracja krytycznych wejść regulatora PID",
     " Krytyczne wejścia regulatora PID filtrowane bez opóźnienia pogarszającego dynamikę regulacji "},
    {"MedianFilter", 8, cfg::MedianFilter, 0x0200, "filtracja z użyciem mediany",
     " Filtr wartości mierzonych oparty na medianie "},
    {"LowPowerHold", 21, cfg::LowPowerHold, 0x0200, "wstrzymanie dla Uzas < limit",
     " Wstrzymanie pracy rozdzielacza dla zbyt niskiego napięcia zasilania "},
    {"SetValDacMode", 20, cfg::SetValDacMode, 0x3200, "monitor prądu uwzględnia tylko znak wartości zadanej",
     " Dla rozdzielacza 3P znak wartości zadanej wybiera monitorowany elektromagnes "},
    {"Report_DAC", 22, cfg::Report_DAC, 0x0200, "na wykresach wyjście DAC zamiast LVDT",
     " Rejestrator przebiegów pokazuje stan wyjścia DAC zamiast położenia LVDT "},
    {"Filter_DAC", 23, cfg::Filter_DAC, 0x0200, "cyfrowe wygładzanie wyjścia DAC",
     " Sygnał na wyjściu DAC wygładzony cyfrowo "},
    {"Q51_PWM_Sequence", 28, cfg::Q51_PWM_Sequence, 0x3200, "stopień mocy włączany / wyłączany sekwencyjnie", ""},
    {"IWDT_Enabled", 31, cfg::IWDT_Enabled, 0x3200, "mechanizm IWDT Watchdog mikroprocesora aktywny",
     " Uaktywnione dodatkowe zabezpieczenie przed zawieszeniem się algorytmu sterowania "},
    {"Ramp_Set_Val_Delay", 26, cfg::Ramp_Set_Val_Delay, 0x0200, "zwłoka rampy dla zmiany wartości zadanej ",
     " Dla aktywnej rampy wejścia wartości zadanych skanowane z przyjętą zwłoką "},
    {"Dither_Mode", 27, cfg::Dither_Mode, 0x0100, "mechanizm Dither aktywny, ",
     " Przebieg PWM modulowany sygnałem typu Dither o podanej częstotliwości i amplitudzie "},
    {"Dither_DAC_Average", 30, cfg::Dither_DAC_Average, 0x0200, "uśrednianie wyjścia DAC",
     " Monitor prądu pokazuje wartość średnią za okres mechanizmu Dither "},
}};

// The options dialog's other managed controls and their access tags.
struct OptionsDialogTag {
  std::string_view name;
  std::uint16_t tag;
};
inline constexpr std::array<OptionsDialogTag, 7> OptionsDialogTags{{
    {"Label6", 0x3200},
    {"Ramp_Start_Delay", 0x0200},
    {"Ramp_Delay_Units", 0x0200},
    {"Dither_Ampl", 0x0100},
    {"Dither_Freq", 0x0100},
    {"Device_Type", 0x2100},
    {"Serial_Number", 0x2100},
}};

// The hint of Q51_PWM_Sequence, which names transistor Q5 on the board variant
// and Q1 otherwise.
std::string_view Q51SequenceHint(bool boardVariant);

const OptionBox* FindOptionBox(std::string_view name);

// ---------------------------------------------------------------------------
// State registers (read with 'G'; a separate number space)

namespace state {
inline constexpr int RemoteControl = 1;  // yes/no
inline constexpr int SetValue = 2;       // float, V or mA
inline constexpr int PeakA = 3;          // count, × 3.3 / 4096 A
inline constexpr int PeakB = 4;
inline constexpr int DiagnosticMax = 5;  // longest control cycle, us
inline constexpr int ErrorHistory = 6;   // next history code (after command 997)
inline constexpr int SetCoilA = 7;       // float: set current (A) or position (V)
inline constexpr int SetCoilB = 8;
inline constexpr int TraceChunk = proto::TraceChunkRegister;  // 60-byte chunk of the trace recording
inline constexpr int StopCode = 11;                           // 0xFFFFFFFF: no stop
inline constexpr int TraceCurrentScale = 12;                  // low / high 16 bits
inline constexpr int DAC_Value = 13;                          // 0..4095
inline constexpr int DacOverride = 14;                        // yes/no
inline constexpr int Usupply = 15;                            // float, V
inline constexpr int Upower = 16;                             // float, V
inline constexpr int Temperature = 18;                        // float, °C
inline constexpr int IavgA = 19;                              // float, A
inline constexpr int IavgB = 20;                              // float, A
inline constexpr int Lvdt = 21;                               // float, V
inline constexpr int UsupplyMax = 22;                         // float, V
inline constexpr int In2Value = 23;                           // float, V or mA
inline constexpr int DebugNumber = 25;                        // diagnostic number for the maker
inline constexpr int CriticalValue = 26;                      // float, the value that caused the stop
inline constexpr int PwmMaxAndEnables = 27;                   // high 16 bits PWM maximum, low bits manual enables
inline constexpr int ManualPwm = 28;                          // high 16 bits coil A, low 16 bits coil B
inline constexpr int ActiveProfile = 29;                      // profile number less one
inline constexpr int Firmware = 30;                           // firmware version code
inline constexpr int ParameterBlock = proto::ParameterBlockRegister;  // 512-byte block of parameter registers 1..128
inline constexpr int SecondBlock = proto::SecondBlockRegister;        // 1024-byte block
inline constexpr int LvdtPid = 34;                                    // float, V
inline constexpr int LinTable1 = proto::LinTableRegisterFirst;        // 88-byte blocks of tables 1..3
inline constexpr int LinTable2 = LinTable1 + 1;
inline constexpr int LinTable3 = LinTable1 + 2;
inline constexpr int TraceMonitorScale = 38;                      // low / high 16 bits
inline constexpr int BoardVariant = 39;                           // yes/no
inline constexpr int SerialNumber = proto::SerialNumberRegister;  // 40-byte text
inline constexpr int DeviceType = proto::DeviceTypeRegister;      // 40-byte text
inline constexpr int In2Present = 42;                             // yes/no
inline constexpr int TemperatureMax = 43;                         // float, °C
}  // namespace state

// ---------------------------------------------------------------------------
// Commands ('S' with a 32-bit argument; a separate number space)

namespace cmd {
inline constexpr int RemoteControl = 1;                            // yes/no
inline constexpr int RestartRecorder = 2;                          // argument 0
inline constexpr int SetValue = 3;                                 // float; restarts the trace recorder
inline constexpr int DacValue = 4;                                 // 0..4095, the answer is shown
inline constexpr int DacOverride = 5;                              // yes/no
inline constexpr int Breakpoint = 6;                               // yes/no
inline constexpr int ClearStop = 9;                                // yes, clears a SOFT stop
inline constexpr int AnnounceTraceReadout = 11;                    // argument 0
inline constexpr int RampEnable = 12;                              // yes/no
inline constexpr int XpidRampOnly = 15;                            // yes/no
inline constexpr int SetValueKeepRecorder = 17;                    // float; the recorder keeps running
inline constexpr int ManualPwmValues = 18;                         // (A << 16) + B
inline constexpr int ManualPwmEnables = 19;                        // bit 0 coil A, bit 1 coil B
inline constexpr int FirmwareLabel = 25;                           // yes, sent by a click on the firmware label
inline constexpr int LvdtCalibration = 29;                         // float: mode base + current
inline constexpr int SerialNumberFirst = 90;                       // 90..99: ten words of the serial number
inline constexpr int DeviceTypeFirst = 100;                        // 100..109: ten words of the valve type
inline constexpr int ServiceMode = 110;                            // yes/no
inline constexpr int CompareProfiles = 984;                        // argument 0xAAAA5503
inline constexpr int UserToFactory = 985;                          // argument 0xAAAA5555
inline constexpr int FactoryToUser = 986;                          // argument 0xAAAA5555
inline constexpr int RestoreProfile = 987;                         // 0xAAAA5500 + (profile - 1)
inline constexpr int BeginProfileLoad = 988;                       // argument 0xAAAA5555
inline constexpr int ProfileWord = 989;                            // one data word
inline constexpr int StoreProfileBank = 990;                       // 0xAA55AA00 + bank
inline constexpr int ReadProfileBank = proto::ProfileBankCommand;  // 0xAA550000 + bank × 4096 + length
inline constexpr int ResetTemperatureMax = 992;                    // one-shot
inline constexpr int ResetPeak = 993;                              // one-shot: 0x5555AAAA coil A, 0xAAAA5555 coil B
inline constexpr int TypicalValues = 994;                          // one-shot
inline constexpr int SelectProfile = 995;                          // 0xAA55AA00 + (profile - 1)
inline constexpr int ResetUsupplyMax = 996;                        // one-shot
inline constexpr int RestartErrorHistory = 997;                    // one-shot
inline constexpr int ResetValve = 998;                             // one-shot
inline constexpr int StoreParameters = 999;                        // one-shot: working parameters into EEPROM
}  // namespace cmd

// Arguments of the multi-purpose commands.
inline constexpr std::uint32_t ResetPeakA = 0x5555AAAAu;
inline constexpr std::uint32_t ResetPeakB = 0xAAAA5555u;
inline constexpr std::uint32_t ProfileArgumentBase = 0xAA55AA00u;  // 995, 990
inline constexpr std::uint32_t RestoreProfileBase = 0xAAAA5500u;   // 987
inline constexpr std::uint32_t ProfileBulkArgument = 0xAAAA5555u;  // 985, 986, 988
inline constexpr std::uint32_t CompareProfilesArgument = 0xAAAA5503u;

// LVDT calibration (command 29): mode base plus the current in amperes.
inline constexpr float CalibrationInactive = 0.0f;
inline constexpr float CalibrationZeroCurrent = 1000.0f;
inline constexpr float CalibrationCoilA = 2000.0f;
inline constexpr float CalibrationCoilB = 3000.0f;

// The two texts sent with OK of the options dialog: 40 characters as ten words.
inline constexpr int TextWords = 10;
inline constexpr std::size_t TextLength = proto::TextReplyLength;

}  // namespace tvx::params
