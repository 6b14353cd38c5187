// The parameter set as a JSON file, as `read --json` writes it and `write`
// takes it:
//
//   {"valve": {...}, "configuration": "0x00000005",
//    "parameters": {"PWM": 1000, "Coil_A_Imin": 0.25, ...}}
//
// Parameters are named by their field; a float that is no finite number is
// given as its word ("0x7FC00000"), so every word goes back bit for bit.
// "valve" describes where the set came from and is not sent; `write` compares
// its type, positions, input and LVDT with the connected valve's. A name given
// twice in one object, and a configuration bit no item has, make the file bad.
#pragma once

#include "cli/cli_view.h"
#include "app/access_tags.h"
#include "params/held_parameters.h"
#include "params/register_map.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tvx::cli {

// A file that cannot be used; nothing of it may be sent.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using app::ConfigurationName;
using app::EditLevel;
using app::ShowLevel;

struct ParameterValue {
  const params::ParameterRegister* row;
  std::uint32_t word;
  bool givenAsWord = false;  // "0x..." for a float register
};

// What the file's "valve" block says of the valve it was read from.
struct ValveDescription {
  std::optional<std::string> type;
  std::optional<int> positions;  // 2 or 3
  std::optional<bool> voltageInput;
  std::optional<bool> lvdt;
};

struct ParameterFile {
  std::optional<std::uint32_t> configuration;
  std::vector<ParameterValue> values;  // in the file's order
  ValveDescription valve;
  // The highest edit level among the parameters of the file (the
  // configuration word's bits are judged against the valve's word).
  int level() const;
};

// Parses and checks a file's text: unknown names, values that are no number
// of the register's kind or out of its range are refused with FileError.
ParameterFile ParseParameterFile(const std::string& json);

// The set a read showed (the held values: `held`), with the items editable at `level`.
std::string ParameterFileJson(const CliView& view, const params::HeldParameters& held, int level);

// The registers `write` may carry: those the send writes, from a field or held.
bool Writable(const params::ParameterRegister& row);

// The unit of a register, from the brackets of its meaning ("" for none).
std::string_view UnitOf(const params::ParameterRegister& row);

}  // namespace tvx::cli
