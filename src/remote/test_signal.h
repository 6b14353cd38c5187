// The valve's built-in test signal: under remote control the valve can replace
// its voltage set-value input by a sine, square or triangle wave. Parameter
// registers 105 to 107 hold amplitude, frequency and offset (floats), 108 the
// waveform code; they are read and written one at a time, outside the
// parameter set.
#pragma once

#include "link/port.h"
#include "view/dialog_view.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tvx::remote {

struct WaveformRadio {
  std::uint32_t code;
  std::string_view name;
};

// The radio buttons and their codes; code 0 switches the signal off.
extern const std::array<WaveformRadio, 4> Waveforms;

struct SignalField {
  std::string_view name;
  int reg;
};

extern const std::array<SignalField, 3> SignalFields;

// The radio button of a waveform register word (its low three bits), or an
// empty name for 3, 5, 6 and 7.
std::string_view WaveformRadioOf(std::uint32_t word);

// Reads 105 to 108 into the dialog and shows it; on OK writes the three
// fields (unchanged ones as the words read) and the code of the checked radio
// button (0 when none is checked). Cancel writes nothing. OK closes the dialog
// only when all three fields convert.
void TestSignalSetup(link::Port& port, view::DialogView& dialog);

}  // namespace tvx::remote
