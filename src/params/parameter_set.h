// Reading the parameter set from the valve and sending it back, with or
// without storing it in the valve's EEPROM. No widget here: the values go to a
// ParameterView, keyed by the component names of the register map, each as
// soon as it is read; a send takes the fields back from it.
#pragma once

#include "link/port.h"
#include "params/config_word.h"
#include "params/derived.h"
#include "params/valve_state.h"
#include "view/component_sink.h"
#include "view/field_value.h"
#include "view/questions.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tvx::params {

class ParameterView : public view::ComponentSink {
 public:
  // Whether a component exists (the options dialog's fields may not).
  virtual bool hasComponent(std::string_view component) const = 0;
  // A parameter field's text and, while it is unedited, the word it was filled from.
  virtual view::FieldValue fieldValue(std::string_view component) const = 0;
  // A check box or mode label.
  virtual bool isChecked(std::string_view component) const = 0;

  // The option bits of the configuration word, held by the options dialog.
  virtual void showOptionBits(const ConfigWord& word) = 0;
  virtual void putOptionBits(ConfigWord& word) const = 0;
  // The firmware version word (state register 30).
  virtual void showFirmware(std::uint32_t word) = 0;
  // The identity texts as the valve sends them, one byte per character.
  virtual void showSerialNumber(const std::string& bytes) = 0;
  virtual void showDeviceType(const std::string& bytes) = 0;
  // The active profile: the profile button's caption, and whether it can be used.
  virtual void showProfile(const ProfileCaption& profile);
  // A send stopped at this field because its text does not convert (the
  // conversion's message tells the rest): the window puts the user there.
  virtual void showFailedField(std::string_view component) { (void)component; }
  // The PWM maximum the options dialog checks the dither amplitude against.
  virtual std::uint32_t pwmMaximum() const;
};

// The configuration word: the modes, the cross-wire box, the option bits and
// the service-mode box; the held flags go to the valve's Held. Remote control
// is not taken from it (state register 1 tells).
void ShowConfigurationWord(ParameterView& view, ValveState& valve, std::uint32_t word);
// The configuration word as the view and the held flags give it.
std::uint32_t ConfigurationWordOf(const ParameterView& view, const HeldParameters& held);

// The whole-set read: the 512-byte block, then the switches, the set value,
// the profile, firmware, hardware flags and the identity texts. The held
// words, the profile and the hardware flags go to `valve`.
void ReadParameterSet(link::Port& port, ValveState& valve, ParameterView& view);
// Reads only what the change log names a valve by (firmware, serial number,
// type), for a write that does not read the set first.
void ReadLoggedValve(link::Port& port);

// All or nothing: first every field of the set is converted (the first that
// does not convert is shown to the view and its ConversionError ends the send
// before any frame) and checked against the limits the window colours it by
// (fields outside them are sent only when the user says yes; false: nothing
// was sent). Then the configuration word is written and read back (a mismatch
// is reported and the send goes on), then every other register of the set in
// its order, the held words from `valve`. `store` adds the EEPROM command.
bool SendParameterSet(link::Port& port, const ValveState& valve, ParameterView& view, view::Questions& questions,
                      bool store);

// State registers 39 and 42 into the valve's BoardVariant and In2Present.
void ReadHardwareFlags(link::Port& port, ValveState& valve);

// Command 998: the valve restarts.
void ResetValve(link::Port& port);

}  // namespace tvx::params
