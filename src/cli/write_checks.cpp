#include "cli/write_checks.h"

#include "app/access_tags.h"
#include "params/config_word.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "params/register_map.h"

#include <algorithm>
#include <cstdio>

namespace tvx::cli {

namespace {

inline constexpr int HighestLevel = 4;

std::string Text(const params::ParameterRegister& row, std::uint32_t word) { return params::FieldText(row, word, '.'); }

// The word a register gets: the file's, else the valve's.
struct Outcome {
  const ParameterFile& file;
  const ValveSet& valve;
  const ParameterValue* given(std::string_view field) const {
    const auto it = std::find_if(file.values.begin(), file.values.end(),
                                 [&](const ParameterValue& v) { return v.row->field == field; });
    return it == file.values.end() ? nullptr : &*it;
  }
  std::string text(std::string_view field) const {
    const params::ParameterRegister& row = *params::FindParameterByField(field);
    const ParameterValue* v = given(field);
    return Text(row, v ? v->word : valve.word(row));
  }
};

// A coil's current fields: cut back to the level's limit by the window, red
// when the maximum is not above the minimum.
void CheckCoil(char coil, const Outcome& o, int level, std::vector<WriteProblem>& problems) {
  const std::string iminName = params::CoilFieldName(coil, "_Imin"), imaxName = params::CoilFieldName(coil, "_Imax");
  const ParameterValue* imin = o.given(iminName);
  const ParameterValue* imax = o.given(imaxName);
  if (!imin && !imax) return;
  for (const ParameterValue* v : {imin, imax}) {
    if (!v) continue;
    const std::string text = Text(*v->row, v->word);
    // The lowest level whose limit takes the value.
    int needed = level;
    while (needed <= HighestLevel && params::CheckCoilCurrents("0", text, needed, '.').imaxText) ++needed;
    if (needed == level) continue;
    const std::string limit = params::FormatFixed(params::CurrentLimit(level), 3, '.');
    if (needed > HighestLevel)
      problems.push_back({WriteProblem::Data,
                          std::string(v->row->field) + ": " + text + " A is above the limit of every access level"});
    else
      problems.push_back({WriteProblem::Level, std::string(v->row->field) + ": " + text + " A is above the limit of " +
                                                   limit + " A at access level " + std::to_string(level) +
                                                   "; access level " + std::to_string(needed) + " allows it"});
  }
  if (params::CheckCoilCurrents(o.text(iminName), o.text(imaxName), HighestLevel, '.').red)
    problems.push_back({WriteProblem::Range, imaxName + " " + o.text(imaxName) + " A is not above " + iminName + " " +
                                                 o.text(iminName) + " A"});
}

// The single fields the window colours red, with their checks.
struct RedCheck {
  std::string_view field;
  std::optional<bool> (*red)(const std::string& text, const ValveSet& valve);
  std::string_view range;
};

const RedCheck RedChecks[] = {
    {"I_Limit",
     [](const std::string& t, const ValveSet&) -> std::optional<bool> { return params::CurrentLimitFieldRed(t); },
     "at most 3.3 A"},
    {"DAC_Imax",
     [](const std::string& t, const ValveSet&) -> std::optional<bool> { return params::CurrentLimitFieldRed(t); },
     "at most 3.3 A"},
    {"PWM", [](const std::string& t, const ValveSet&) { return params::PwmFieldRed(t); }, "50 to 5000 Hz"},
    {"Dither_Ampl",
     [](const std::string& t, const ValveSet& v) { return params::DitherAmplitudeRed(t, v.pwmMaximum()); },
     "at most a quarter of the valve's PWM maximum"},
    {"Dither_Freq", [](const std::string& t, const ValveSet&) { return params::DitherFrequencyRed(t); },
     "10 to 250 Hz"},
};

void CheckConfiguration(std::uint32_t word, const ValveSet& valve, int level, std::vector<WriteProblem>& problems) {
  const std::uint32_t changed = word ^ valve.configuration;
  for (const params::ConfigBit& b : params::ConfigBits) {
    if (!(changed & params::BitMask(b.bit))) continue;
    const std::string name = "configuration bit " + std::to_string(b.bit) + " (" + std::string(b.name) + ")";
    const std::optional<int> needed = ConfigBitLevel(b.bit);
    if (!needed)
      problems.push_back({WriteProblem::Data, name + " is not changed from a file; it must stay as the valve has it"});
    else if (*needed > level)
      problems.push_back({WriteProblem::Level, name + " needs access level " + std::to_string(*needed)});
  }
}

void CheckValve(const ValveDescription& file, const ValveDescription& valve, std::vector<WriteProblem>& problems) {
  const auto differs = [&](const char* what, auto member, auto text) {
    if ((file.*member) && (valve.*member) && *(file.*member) != *(valve.*member))
      problems.push_back({WriteProblem::Data, std::string("the file is for another valve: ") + what + " " +
                                                  text(*(file.*member)) + ", the valve's " + text(*(valve.*member))});
  };
  differs("type", &ValveDescription::type, [](const std::string& t) { return "\"" + t + "\""; });
  differs("positions", &ValveDescription::positions, [](int n) { return std::to_string(n); });
  differs("input", &ValveDescription::voltageInput, [](bool v) { return std::string(v ? "voltage" : "current"); });
  differs("LVDT", &ValveDescription::lvdt, [](bool v) { return std::string(v ? "yes" : "no"); });
}

}  // namespace

std::optional<int> ConfigBitLevel(int bit) {
  const auto it = std::find_if(params::ConfigBits.begin(), params::ConfigBits.end(),
                               [bit](const params::ConfigBit& b) { return b.bit == bit; });
  if (it == params::ConfigBits.end()) return std::nullopt;
  switch (it->holder) {
    case params::BitHolder::ModeLabel:
    case params::BitHolder::OptionsCheckBox: return app::EditLevel(it->name);
    case params::BitHolder::MainCheckBox:
      // Remote control is switched by its own command, never by the word.
      if (it->bit == params::cfg::RemoteControl) return std::nullopt;
      return app::EditLevel(it->name);
    case params::BitHolder::HeldFlag:
      // Changed by the service dialogs, as the held words are.
      return app::HeldEditLevel;
  }
  return std::nullopt;
}

std::vector<WriteProblem> CheckWrite(const ParameterFile& file, const ValveSet& valve, int level,
                                     const WriteCheckOptions& options) {
  std::vector<WriteProblem> problems;
  if (!options.otherValve) CheckValve(file.valve, valve.valve, problems);
  if (file.configuration) CheckConfiguration(*file.configuration, valve, level, problems);
  for (const ParameterValue& v : file.values) {
    if (app::EditLevel(v.row->field) > level)
      problems.push_back({WriteProblem::Level, std::string(v.row->field) + " needs access level " +
                                                   std::to_string(app::EditLevel(v.row->field))});
    if (v.givenAsWord && v.row->encoding == params::Encoding::Float && v.word != valve.word(*v.row)) {
      char held[16];
      std::snprintf(held, sizeof held, "0x%08X", valve.word(*v.row));
      problems.push_back({WriteProblem::Data, std::string(v.row->field) +
                                                  ": a word is taken only as the valve holds it (" + held +
                                                  "); give the value as a number"});
    }
  }
  const Outcome outcome{file, valve};
  // Solenoid B's fields are shown only with three positions.
  const std::uint32_t configuration = file.configuration.value_or(valve.configuration);
  CheckCoil('A', outcome, level, problems);
  if (params::ConfigWord::Decode(configuration).positions3) CheckCoil('B', outcome, level, problems);
  // With dither on, the window holds PWM at its dither value below level 2.
  if (const ParameterValue* pwm = outcome.given("PWM");
      pwm && params::PwmForcedToDitherValue(true, level, params::ConfigWord::Decode(configuration).ditherMode) &&
      Text(*pwm->row, pwm->word) != params::DitherPwmText)
    problems.push_back({WriteProblem::Level, "PWM: with dither on, the window holds it at " +
                                                 std::string(params::DitherPwmText) + " below access level 2"});
  if (!options.allowOutOfRange) {
    for (const RedCheck& check : RedChecks) {
      const ParameterValue* v = outcome.given(check.field);
      if (!v) continue;
      const std::string text = Text(*v->row, v->word);
      if (check.red(text, valve).value_or(false))
        problems.push_back(
            {WriteProblem::Range, std::string(check.field) + " " + text + " is outside " + std::string(check.range)});
    }
  } else {
    std::erase_if(problems, [](const WriteProblem& p) { return p.kind == WriteProblem::Range; });
  }
  return problems;
}

}  // namespace tvx::cli
