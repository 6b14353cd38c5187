#include "report/report_content.h"

#include "params/cfg_file.h"
#include "params/config_word.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/identity_text.h"
#include "params/parameter_names.h"
#include "params/parameter_set.h"
#include "params/plausible_words.h"
#include "params/recorded_view.h"
#include "params/register_map.h"
#include "params/valve_state.h"
#include "status/status_refresh.h"
#include "status/status_state.h"
#include "status/status_text.h"
#include "trace/acquisition.h"
#include "trace/chart_opening.h"

#include <string_view>

namespace tvx::report {

namespace {

using ReportView = params::RecordedView;

// The text of a shown component; nothing when none was shown or it is hidden.
std::optional<std::string> Shown(const ReportView& view, std::string_view component) {
  const auto it = view.texts.find(component);
  if (it == view.texts.end() || view.hidden.contains(component)) return std::nullopt;
  return it->second;
}

// The recording, as the chart window receives it.
class RecordingView : public trace::TraceView {
 public:
  trace::ChartScales scales;
  void DrawFrame(const trace::ChartScales& s) override { scales = s; }
  void DrawSample(int, const trace::TraceSample&) override {}
  void ReadoutEnded() override {}
  void StartRecordingWait(std::int64_t) override {}
};

// ---- the parameter set in the window's words ----------------------------------------

using params::ParameterName;
using params::ParameterNames;
using Unit = params::NameUnit;

std::string Hex(std::uint32_t word) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::string text = "0x00000000";
  for (int i = 9; i >= 2; --i, word >>= 4) text[static_cast<std::size_t>(i)] = Digits[word & 0xF];
  return text;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

// A mode caption without its bullet ("• 3-położeniowy" gives "3-położeniowy").
std::string ModeText(params::Mode mode, bool set) {
  std::string_view caption = params::ModeCaption(mode, set);
  if (const auto blank = caption.find(' '); blank != std::string_view::npos) caption.remove_prefix(blank + 1);
  return std::string(caption);
}

std::vector<Section> ParameterSections(const ReportView& view, const params::HeldParameters& held,
                                       const params::ConfigWord& config, const ShownItem& shown, char sep) {
  const params::SetValueScale scale = params::ScaleFor(config.voltageMode, config.positions3);
  std::vector<Section> sections;
  for (const ParameterName& p : ParameterNames) {
    if (!shown(p.field)) continue;
    // The window hides solenoid B's fields on a valve with one solenoid.
    if (!config.positions3 && p.field.starts_with("Coil_B_")) continue;
    const params::ParameterRegister* row = params::FindParameterByField(p.field);
    if (!row) continue;
    std::string value;
    if (row->holder == params::Holder::Held) {
      const std::uint32_t word = *held.WordOf(row->number);
      value = row->encoding == params::Encoding::BitSet ? Hex(word) : params::FieldText(*row, word, sep);
    } else {
      const auto it = view.fields.find(p.field);
      if (it == view.fields.end()) continue;
      value = it->second.text;
    }
    std::string unit(p.unit);
    if (p.unitKind == Unit::GainI || p.unitKind == Unit::GainL) {
      unit = std::string(Trimmed(p.unitKind == Unit::GainI ? scale.gainUnitI : scale.gainUnitL));
      if (unit.size() > 2 && unit.front() == '[' && unit.back() == ']') unit = unit.substr(1, unit.size() - 2);
    }
    if (sections.empty() || sections.back().title != p.section) sections.push_back({std::string(p.section), {}});
    sections.back().entries.push_back({std::string(p.name), value, unit});
  }
  return sections;
}

// ---- the working set against the stored profile ------------------------------------------

// Bits of the configuration word that tell nothing about a stored setting:
// remote control (the valve keeps it in the working word only) and the unused ones.
// The configuration word's item as the access rules name it (shown from level 2).
constexpr const char* ConfigurationItem = "configuration";

constexpr std::uint32_t ConfigurationCompared = ~(params::BitMask(params::cfg::RemoteControl) | 0x7E000000u);

std::string ItemName(std::string_view field) {
  for (const ParameterName& p : ParameterNames)
    if (p.field == field) return std::string(p.section) + ": " + std::string(p.name);
  return std::string(field);
}

std::string WordText(const params::ParameterRegister& row, std::uint32_t word, char sep) {
  return row.encoding == params::Encoding::BitSet ? Hex(word) : params::FieldText(row, word, sep);
}

StorageCheck CompareWithStoredProfile(link::Port& port, const ReportView& set, const params::ValveState& valve,
                                      const ShownItem& shown, char sep) {
  const params::HeldParameters& held = valve.Held;
  StorageCheck check;
  check.profile = valve.CurrentProfile;
  const std::string number = std::to_string(check.profile);
  if (check.profile < 1 || check.profile > params::cfgfile::Banks) {
    check.summary =
        "Aktywny profil nie jest profilem użytkownika:\nustawień roboczych nie porównano z pamięcią "
        "nieulotną rozdzielacza.";
    return check;
  }
  params::cfgfile::Image image;
  params::ReadProfileImage(port, static_cast<int>(check.profile - 1), image.data());
  check.compared = true;

  for (const params::ParameterRegister& row : params::ParameterSet) {
    const std::uint32_t stored = params::cfgfile::ImageWord(image, row.number - 1);
    std::uint32_t working = 0;
    std::string field(row.field);
    if (row.number == params::reg::Configuration) {
      working = params::ConfigurationWordOf(set, held);
      if ((working & ConfigurationCompared) == (stored & ConfigurationCompared)) continue;
      field = ConfigurationItem;
    } else if (row.holder == params::Holder::Held) {
      working = *held.WordOf(row.number);
      if (working == stored) continue;
    } else {
      const auto it = set.fields.find(row.field);
      if (it == set.fields.end() || !it->second.keptWord || *it->second.keptWord == stored) continue;
      working = *it->second.keptWord;
    }
    if (!shown(field)) {
      ++check.hiddenDifferences;
      continue;
    }
    const std::string name = row.number == params::reg::Configuration ? "Słowo konfiguracji" : ItemName(row.field);
    check.differences.push_back(
        {name, WordText(row, working, sep) + " (w profilu: " + WordText(row, stored, sep) + ")", ""});
  }
  if (check.differences.empty() && check.hiddenDifferences == 0) {
    check.summary =
        "Ustawienia robocze są zgodne z profilem nr " + number + " zapisanym w pamięci nieulotnej rozdzielacza.";
  } else {
    check.summary = "Ustawienia robocze różnią się od zapisanych w pamięci nieulotnej rozdzielacza (profil nr " +
                    number + ").\nZmian nie zapisano przyciskiem \"Zapisz\": nie przetrwają wyłączenia zasilania.";
  }
  return check;
}

// ---- the status snapshot --------------------------------------------------------------

// What a value depends on: the window greys it out on a valve without it.
enum class Needs { Nothing, TwoSolenoids, Lvdt, In2 };

struct StatusName {
  std::string_view component;
  std::string_view name;
  Needs needs;
};

constexpr StatusName StatusNames[] = {
    {"Info_Usupply", "Napięcie zasilania (Uzas)", Needs::Nothing},
    {"Info_Usupply_Max", "Maksymalne zmierzone napięcie zasilania (Uzas max)", Needs::Nothing},
    {"Info_Upower", "Napięcie zasilania cewek (Upower)", Needs::Nothing},
    {"Info_Temp", "Temperatura z czujnika TC1047", Needs::Nothing},
    {"Info_Coil_A_Iavg", "Aktualny prąd cewki A (Iavg A)", Needs::Nothing},
    {"Info_Coil_B_Iavg", "Aktualny prąd cewki B (Iavg B)", Needs::TwoSolenoids},
    {"Coil_A_Peak", "Maksymalny zmierzony prąd cewki A (Ipeak A)", Needs::Nothing},
    {"Coil_B_Peak", "Maksymalny zmierzony prąd cewki B (Ipeak B)", Needs::TwoSolenoids},
    {"Coil_A_Set", "Wartość zadana cewki A", Needs::Nothing},
    {"Coil_B_Set", "Wartość zadana cewki B", Needs::TwoSolenoids},
    {"Info_Lvdt", "Położenie czujnika LVDT (Lvdt U)", Needs::Lvdt},
    {"Info_Lvdt_PID", "Położenie LVDT po linearyzacji i korekcie wzmocnienia (Lvdt U pid)", Needs::Lvdt},
    {"Info_IN2_Value", "Wejście dodatkowe We2", Needs::In2},
};

bool Applies(Needs needs, const params::ConfigWord& config, bool in2Present) {
  switch (needs) {
    case Needs::Nothing: break;
    case Needs::TwoSolenoids: return config.positions3;
    case Needs::Lvdt: return config.lvdtMode;
    case Needs::In2: return in2Present;
  }
  return true;
}

std::vector<Entry> StatusEntries(const ReportView& status, const ReportView& set, const params::ConfigWord& config,
                                 bool in2Present, const ShownItem& shown, char sep) {
  std::vector<Entry> entries;
  if (set.setValue) {
    entries.push_back({"Wartość zadana", status::SetValueText(*set.setValue, sep), config.voltageMode ? "V" : "mA"});
  }
  for (const StatusName& s : StatusNames) {
    const std::optional<std::string> text = Shown(status, s.component);
    if (!text || !Applies(s.needs, config, in2Present) || !shown(s.component)) continue;
    std::string name(s.name);
    if (s.component == "Coil_A_Set" || s.component == "Coil_B_Set")
      name += " (" + status::SetCoilCaption(s.component == "Coil_A_Set" ? 'A' : 'B', config.lvdtMode) + ")";
    // The value labels carry their unit after a blank.
    std::string_view value = Trimmed(*text);
    std::string unit;
    if (const auto blank = value.rfind(' '); blank != std::string_view::npos) {
      unit = std::string(value.substr(blank + 1));
      value = Trimmed(value.substr(0, blank));
    }
    entries.push_back({name, std::string(value), unit});
  }
  return entries;
}

}  // namespace

ReportContent ReadReport(link::Port& port, const ShownItem& shown, char sep, view::Questions& questions) {
  // The report only looks: it reads into a valve state and a status of its
  // own, so that what the caller keeps between a read and a send (and the
  // service dialogs may have changed since) stays as it is.
  params::ValveState valve;
  status::StatusState refreshed;

  ReportContent report;
  ReportView set(sep);
  params::ReadParameterSet(port, valve, set);
  const params::HeldParameters& held = valve.Held;
  const params::ConfigWord config = params::ConfigWord::Decode(params::ConfigurationWordOf(set, held));

  report.firmware = params::FirmwareText(set.identity.firmware);
  report.serialNumber = params::IdentityText(set.identity.serialNumber);
  report.deviceType = params::IdentityText(set.identity.deviceType);
  // Only what the window shows at the reader's level.
  report.identity = {{"Rodzaj rozdzielacza", report.deviceType, ""}};
  if (shown("Serial_Number")) report.identity.push_back({"Numer seryjny", report.serialNumber, ""});
  else report.serialNumber.clear();
  report.identity.insert(report.identity.end(),
                         {
                             {"Oprogramowanie rozdzielacza", std::string(Trimmed(report.firmware)), ""},
                             {"Wykonanie", ModeText(params::Mode::Positions3, config.positions3), ""},
                             {"Sygnał wejściowy", ModeText(params::Mode::VoltageInput, config.voltageMode), ""},
                             {"Czujnik położenia", ModeText(params::Mode::Lvdt, config.lvdtMode), ""},
                         });
  if (config.lvdtMode && shown("LVDT_CrossWire"))
    report.identity.push_back({"Podłączenie czujnika LVDT", config.lvdtCrossWire ? "zmiana biegunów" : "zwykłe", ""});
  report.identity.push_back({"Aktywny profil ustawień", std::string(Trimmed(set.profile.caption)), ""});
  report.parameters = ParameterSections(set, held, config, shown, sep);
  report.storage = CompareWithStoredProfile(port, set, valve, shown, sep);

  ReportView state(sep);
  status::StatusRefresh(port, valve, refreshed, state, {config.lvdtMode, config.voltageMode});
  report.status = StatusEntries(state, set, config, valve.In2Present, shown, sep);
  if (refreshed.LastStopCode >= 0 && static_cast<std::uint32_t>(refreshed.LastStopCode) != status::NoStop) {
    const auto code = static_cast<std::uint32_t>(refreshed.LastStopCode);
    report.stop = StopSnapshot{code, status::StopCodeCaption(code), std::string(status::StopCodeText(code)),
                               std::string(Trimmed(state.text("StopInfo")))};
  }

  // The recording, read as the chart window reads it when it opens.
  TraceSnapshot& t = report.trace;
  t.threePositions = config.positions3;
  t.voltageInput = config.voltageMode;
  t.lvdt = config.lvdtMode;
  t.reportDac = config.reportDac;
  t.dynamicPid = config.dynamicPidMode;
  t.pidP = set.text("PID_P");
  t.pidI = set.text("PID_I");
  t.pidD = set.text("PID_D");
  t.dkp = params::WordToFloat(held.largeErrorKp);
  t.dki = params::WordToFloat(held.largeErrorKi);
  t.lkp = params::WordToFloat(held.nearZeroKp);
  t.lki = params::WordToFloat(held.nearZeroKi);
  const std::optional<trace::ChartOpening> opening =
      trace::OpenChart(port, set.fieldValue("PWM").text, held.traceInterval, questions);
  if (!opening) return report;
  t.pwmHz = opening->pwmHz;
  t.divider = opening->divider;
  t.channelMask = opening->channelMask;
  t.source = opening->source;
  RecordingView recording;
  trace::TraceAcquisition acquisition(port, recording, t.pwmHz, t.divider);
  acquisition.ReadOut();
  t.scales = recording.scales;
  t.samples = acquisition.buffer();
  t.drawn = acquisition.drawnSamples();
  t.read = true;
  return report;
}

}  // namespace tvx::report
