// The checks `write` makes with the valve's set in hand, before anything is
// sent: the same the window makes on its fields at the user's access level.
//
// - Each item of the file may be changed only at the level at which the
//   window lets a person change it; in the configuration word only the bits
//   that differ from the valve's count, each at the level of its own control.
// - Coil currents above the level's limit, which the window cuts back to it.
// - Values the window shows in red (refused unless allowed).
// - A float given as its word, taken only where the valve holds that word.
// - The valve the file was read from (type, positions, input, LVDT).
#pragma once

#include "cli/parameter_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tvx::cli {

// What the valve holds, as the read before the send showed it.
struct ValveSet {
  std::uint32_t configuration = 0;
  // The word of a writable register.
  std::function<std::uint32_t(const params::ParameterRegister&)> word;
  // The valve's PWM maximum (for the dither amplitude), asked only when needed.
  std::function<std::uint32_t()> pwmMaximum;
  ValveDescription valve;
};

struct WriteProblem {
  enum Kind { Level, Range, Data } kind;
  std::string text;
};

struct WriteCheckOptions {
  bool allowOutOfRange = false;
  bool otherValve = false;
};

std::vector<WriteProblem> CheckWrite(const ParameterFile& file, const ValveSet& valve, int level,
                                     const WriteCheckOptions& options);

// The lowest access level at which the window lets a person change a bit of
// the configuration word; nothing for a bit no person changes from the window.
std::optional<int> ConfigBitLevel(int bit);

}  // namespace tvx::cli
