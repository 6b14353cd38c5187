#include "params/out_of_range.h"

#include "params/conversions.h"
#include "params/derived.h"

#include <optional>

namespace tvx::params {

namespace {

std::string Decimal(double x, int decimals, char sep) { return FormatFixed(x, decimals, sep); }

class Collector {
 public:
  Collector(const FieldTexts& text, char sep) : text_(text), sep_(sep) {}

  std::optional<std::string> Text(std::string_view field) const { return text_(field); }

  void Add(std::string_view field, std::string caption, std::string allowed) {
    fields.push_back({std::string(field), std::move(caption), text_(field).value_or(""), std::move(allowed)});
  }
  // A field marked red by a check that tells nothing for no number.
  void AddIf(std::string_view field, const std::optional<bool>& red, std::string caption, std::string allowed) {
    if (red.value_or(false)) Add(field, std::move(caption), std::move(allowed));
  }

  char sep() const { return sep_; }
  std::vector<OutOfRange> fields;

 private:
  const FieldTexts& text_;
  char sep_;
};

void CheckCurrentLimit(Collector& c, std::string_view field, const char* caption) {
  const std::optional<std::string> t = c.Text(field);
  // No number is the conversion's business.
  if (!t || !TryParseFloat(DotsToCommas(*t))) return;
  if (CurrentLimitFieldRed(*t)) c.Add(field, caption, "najwyżej " + Decimal(3.3, 1, c.sep()));
}

void CheckCoil(Collector& c, char coil) {
  const std::string imin = CoilFieldName(coil, "_Imin");
  const std::string imax = CoilFieldName(coil, "_Imax");
  const std::optional<std::string> tmin = c.Text(imin);
  const std::optional<std::string> tmax = c.Text(imax);
  if (!tmin || !tmax || !TryParseFloat(DotsToCommas(*tmin)) || !TryParseFloat(DotsToCommas(*tmax))) return;
  // The access level only moves the cut-back limit, never the colour.
  if (!CheckCoilCurrents(*tmin, *tmax, 4, c.sep()).red) return;
  const std::string group = std::string("Elektromagnes ") + coil + ", ";
  c.Add(imin, group + "Imin [A]", "mniej niż Imax");
  c.Add(imax, group + "Imax [A]", "więcej niż Imin");
}

void CheckDither(Collector& c, std::uint32_t pwmMax) {
  if (const std::optional<std::string> t = c.Text("Dither_Ampl")) {
    const std::string limit =
        pwmMax % 4 == 0 ? std::to_string(pwmMax / 4) : Decimal(static_cast<double>(pwmMax) / 4.0, 2, c.sep());
    c.AddIf("Dither_Ampl", DitherAmplitudeRed(*t, pwmMax), "amplituda pwm", "najwyżej " + limit);
  }
  if (const std::optional<std::string> t = c.Text("Dither_Freq"))
    c.AddIf("Dither_Freq", DitherFrequencyRed(*t), "częstotliwość [Hz]", "od 10 do 250");
}

}  // namespace

std::vector<OutOfRange> OutOfRangeSetFields(const FieldTexts& text, bool threePositions, std::uint32_t pwmMax,
                                            char sep) {
  Collector c(text, sep);
  if (const std::optional<std::string> t = c.Text("PWM")) c.AddIf("PWM", PwmFieldRed(*t), "PWM [Hz]", "od 50 do 5000");
  CheckCurrentLimit(c, "DAC_Imax", "I DAC [A]");
  CheckCurrentLimit(c, "I_Limit", "I MAX [A]");
  CheckCoil(c, 'A');
  if (threePositions) CheckCoil(c, 'B');
  const std::pair<const char*, const char*> gains[] = {{"DAC_Gain", "Wzmocnienie wyjścia DAC"},
                                                       {"ADC_Gain", "Wzmocnienie WE1 4_20mA"},
                                                       {"LVDT_Gain", "Wzmocnienie wejścia LVDT"}};
  for (const auto& [field, caption] : gains)
    if (const std::optional<std::string> t = c.Text(field)) c.AddIf(field, ServiceGainRed(*t), caption, "różna od 0");
  CheckDither(c, pwmMax);
  return std::move(c.fields);
}

std::vector<OutOfRange> OutOfRangeDitherFields(const FieldTexts& text, std::uint32_t pwmMax, char sep) {
  Collector c(text, sep);
  CheckDither(c, pwmMax);
  return std::move(c.fields);
}

bool SendOutOfRange(view::Questions& questions, const std::vector<OutOfRange>& fields) {
  if (fields.empty()) return true;
  std::string text = "Wartości poza dopuszczalnym zakresem:\n";
  for (const OutOfRange& f : fields) text += "\n " + f.caption + ":  " + f.value + "   (dozwolone: " + f.allowed + ")";
  text += "\n\nWysłać je mimo to do rozdzielacza?  ";
  return questions.ask(text, OutOfRangeCaption, view::Questions::Icon::Warning,
                       view::Questions::Buttons::YesNoDefaultNo) == view::Questions::Answer::Yes;
}

}  // namespace tvx::params
