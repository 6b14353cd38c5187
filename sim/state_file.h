// The EEPROM state file of the simulated valve: user and factory profile banks,
// the active profile and the two texts. A small line-oriented text file with a
// checksum, written to a temporary file and renamed over the old one.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/valve_model.h"

namespace sim {

struct StateImage {
  std::array<Bank, 3> user{};
  std::array<Bank, 3> factory{};
  int active = 0;
  std::array<std::uint8_t, 40> serial{};
  std::array<std::uint8_t, 40> type{};
};

enum class StateLoad { Loaded, Missing, Corrupt };

StateLoad readStateFile(const std::string& path, StateImage& out, std::string& error);
bool writeStateFile(const std::string& path, const StateImage& image, std::string& error);

}  // namespace sim
