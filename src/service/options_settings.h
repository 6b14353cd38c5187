// What the options dialog exchanges with the valve: an option's switch
// command, the PWM maximum read when the dialog becomes active, and what OK
// sends. No widget here.
#pragma once

#include "link/port.h"
#include "view/field_value.h"
#include "view/questions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tvx::service {

// An option check box clicked while the dialog is active: its switch command
// with the yes/no word. Unknown names send nothing.
void SendOptionSwitch(link::Port& port, std::string_view boxName, bool on);

// The PWM maximum, the upper half of state register 27.
std::uint32_t ReadPwmMaximum(link::Port& port);

struct OptionSettings {
  view::FieldValue rampStartDelay;   // register 117
  view::FieldValue ditherAmplitude;  // register 118
  view::FieldValue ditherFrequency;  // register 119
  std::string serialNumber;          // one byte per character
  std::string deviceType;
  // What the dither amplitude is checked against, and how numbers are shown.
  std::uint32_t pwmMaximum = 5000;
  char decimalSeparator = ',';
};

// What OK has checked: the words of registers 117 to 119 and the texts.
struct CheckedOptionSettings {
  std::array<std::uint32_t, 3> words{};
  std::string serialNumber;
  std::string deviceType;
};

// A field the check stopped at ("Ramp_Start_Delay", "Dither_Ampl",
// "Dither_Freq").
using FailedOptionField = std::function<void(std::string_view field)>;

// The check of OK, before anything is sent: every number field holds an
// integer (else the failing field is shown, then its ConversionError is
// thrown), and dither values the dialog shows red pass only when the user says
// yes to the question (nothing when not).
std::optional<CheckedOptionSettings> CheckOptionSettings(const OptionSettings& settings, view::Questions& questions,
                                                         const FailedOptionField& failed = {});

// Registers 117 to 119, then the serial number (commands 90 to 99) and the
// valve type (commands 100 to 109) as ten words each.
void SendCheckedOptionSettings(link::Port& port, const CheckedOptionSettings& settings);

// Both: all or nothing (false: nothing was sent).
bool SendOptionSettings(link::Port& port, const OptionSettings& settings, view::Questions& questions);

}  // namespace tvx::service
