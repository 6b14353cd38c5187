// The parts of the parameter set that have no field on the main window: the
// register words and configuration flags that the program keeps in memory
// between a parameter read and the next send. The service dialogs (error
// handling, trace chart, PID extensions, ramp, linearisation tables) change
// them here.
#pragma once

#include <cstdint>

#include "params/config_word.h"

namespace tvx::params {

struct HeldParameters {
  // Register words.
  std::uint32_t errorMask = 0;      // register 67, sent
  std::uint32_t traceInterval = 0;  // register 96, sent
  std::uint32_t nearZeroKp = 0;     // register 103, float word, read only
  std::uint32_t nearZeroKi = 0;     // register 104
  std::uint32_t largeErrorKp = 0;   // register 111
  std::uint32_t largeErrorKi = 0;   // register 112

  // Configuration-word flags.
  bool rampEnable = false;    // bit 10
  bool useTableA = false;     // bit 12
  bool useTableB = false;     // bit 13
  bool useTableLvdt = false;  // bit 14
  bool xpidRampOnly = false;  // bit 20

  // The word held for a register of the parameter set, or nullptr when the
  // register is not one of the held ones.
  std::uint32_t* WordOf(int reg);
  const std::uint32_t* WordOf(int reg) const;

  // Copies the held flags from a configuration word read from the valve, and
  // back into one about to be sent.
  void TakeFlags(const ConfigWord& word);
  void PutFlags(ConfigWord& word) const;

  bool operator==(const HeldParameters&) const = default;
};

}  // namespace tvx::params
