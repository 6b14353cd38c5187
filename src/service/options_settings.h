// What the options dialog exchanges with the valve: an option's switch
// command, the PWM maximum read when the dialog becomes active, and what OK
// sends. No widget here.
#pragma once

#include "params/field_value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tvx::service {

// An option check box clicked while the dialog is active: its switch command
// with the yes/no word. Unknown names send nothing.
void SendOptionSwitch(std::string_view boxName, bool on);

// The PWM maximum, the upper half of state register 27.
std::uint32_t ReadPwmMaximum();

struct OptionSettings {
  params::FieldValue rampStartDelay;   // register 117
  params::FieldValue ditherAmplitude;  // register 118
  params::FieldValue ditherFrequency;  // register 119
  std::string serialNumber;            // one byte per character
  std::string deviceType;
};

// Registers 117 to 119, then the serial number (commands 90 to 99) and the
// valve type (commands 100 to 109) as ten words each. A field that does not
// hold an integer stops the sequence there.
void SendOptionSettings(const OptionSettings& settings);

}  // namespace tvx::service
