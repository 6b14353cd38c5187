#include "remote/manual_outputs.h"

#include "link/comm_error.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/register_map.h"

#include <algorithm>

namespace tvx::remote {

namespace {

constexpr std::string_view PwmA = "PWM_A";
constexpr std::string_view PwmB = "PWM_B";
constexpr std::string_view PwmAPercent = "PWM_A_Percent";
constexpr std::string_view PwmBPercent = "PWM_B_Percent";
constexpr std::string_view EnableA = "Enable_PWM_A";
constexpr std::string_view EnableB = "Enable_PWM_B";

constexpr std::uint32_t EnableBitA = 1;
constexpr std::uint32_t EnableBitB = 2;

// A whole, non-negative number of at most 32 bits; anything else ("---", empty,
// a decimal separator, a minus sign) is the invalid-number error.
std::uint32_t WholeNumber(const std::string& text) {
  const auto value = params::TryParseInteger(text);
  if (!value || *value < 0) throw link::ConversionError(params::InvalidIntegerMessage(text));
  return static_cast<std::uint32_t>(*value);
}

}  // namespace

const char* const PwmMaximumFallbackHint = " Maksymalna wartość ograniczona po błędzie komunikacji USB do 5000 ! ";

std::uint32_t PwmPercent(std::uint32_t value, std::uint32_t maximum) {
  if (maximum == 0) return 0;
  return static_cast<std::uint32_t>(std::uint64_t{value} * 100u / maximum);
}

std::uint32_t PwmFromPercent(std::uint32_t percent, std::uint32_t maximum) {
  return static_cast<std::uint32_t>(std::uint64_t{percent} * maximum / 100u);
}

std::string PwmMaximumHint(std::uint32_t maximum) { return " Maksymalna wartość to " + std::to_string(maximum) + " "; }

void ManualPwm::Open() {
  maximum_ = params::DefaultPwmMax;
  bool maximumRead = false;
  try {
    const std::uint32_t state = link::ReadRegister(port_, params::state::PwmMaxAndEnables);
    maximum_ = params::PwmMaxOf(state);
    maximumRead = true;
    view_.setHint(PwmA, PwmMaximumHint(maximum_));
    view_.setChecked(EnableA, (state & EnableBitA) != 0);
    view_.setChecked(EnableB, (state & EnableBitB) != 0);
    view_.setHint(PwmB, PwmMaximumHint(maximum_));

    const std::uint32_t values = link::ReadRegister(port_, params::state::ManualPwm);
    const std::uint32_t a = values >> 16, b = values & 0xFFFFu;
    view_.setText(PwmA, std::to_string(a));
    view_.setText(PwmB, std::to_string(b));
    view_.setText(PwmAPercent, std::to_string(PwmPercent(a, maximum_)));
    view_.setText(PwmBPercent, std::to_string(PwmPercent(b, maximum_)));
  } catch (const link::UsbError&) {
    // Reported by CommError; the dialog opens all the same.
    if (!maximumRead) {
      view_.setHint(PwmA, PwmMaximumFallbackHint);
      view_.setHint(PwmB, PwmMaximumFallbackHint);
    }
  }
}

ManualPwm::Values ManualPwm::Limited() {
  Values v{WholeNumber(view_.fieldValue(PwmA).text), WholeNumber(view_.fieldValue(PwmB).text),
           WholeNumber(view_.fieldValue(PwmAPercent).text), WholeNumber(view_.fieldValue(PwmBPercent).text)};
  auto limit = [this](std::string_view name, std::uint32_t& value, std::uint32_t most) {
    if (value <= most) return;
    value = most;
    view_.setText(name, std::to_string(most));
  };
  limit(PwmA, v.a, maximum_);
  limit(PwmB, v.b, maximum_);
  limit(PwmAPercent, v.aPercent, 100);
  limit(PwmBPercent, v.bPercent, 100);
  return v;
}

void ManualPwm::KeyReleased(std::string_view field) {
  const Values v = Limited();
  if (field == PwmA) {
    view_.setText(PwmAPercent, std::to_string(PwmPercent(v.a, maximum_)));
  } else if (field == PwmB) {
    view_.setText(PwmBPercent, std::to_string(PwmPercent(v.b, maximum_)));
  } else if (field == PwmAPercent) {
    view_.setText(PwmA, std::to_string(PwmFromPercent(v.aPercent, maximum_)));
  } else if (field == PwmBPercent) {
    view_.setText(PwmB, std::to_string(PwmFromPercent(v.bPercent, maximum_)));
  }
}

void ManualPwm::Send() {
  // Limited to the maximum (at most 16 bits), neither value spills into the
  // other's half of the word.
  const Values v = Limited();
  std::uint32_t enables = 0;
  if (view_.isChecked(EnableA)) enables |= EnableBitA;
  if (view_.isChecked(EnableB)) enables |= EnableBitB;
  link::SendCommand(port_, params::cmd::ManualPwmValues, (v.a << 16) + v.b);
  link::SendCommand(port_, params::cmd::ManualPwmEnables, enables);
}

std::uint32_t SendDacValue(link::Port& port, std::string_view text) {
  const std::uint32_t value = std::min(WholeNumber(std::string(text)), DacMaximum);
  return link::SendCommand(port, params::cmd::DacValue, value);
}

const std::array<DacPoint, 3> DacPoints{{
    {"Bottom", 62},
    {"Zero", 2048},
    {"Top", 4034},
}};

int DacPointValue(std::string_view item) {
  for (const DacPoint& p : DacPoints)
    if (p.item == item) return static_cast<int>(p.value);
  return -1;
}

}  // namespace tvx::remote
