// The tool's configuration files (*.cfg) as a start for the simulated valve:
// their three profile images become the user banks, so that a machine's saved
// set-up can be reproduced on the simulator.
//
// Layout: 01 03 (format), 02 00 (image length 512), the images of banks 0 to 2,
// then the byte sum of the images and its complement, each least significant
// byte first. Files without the last 8 bytes (written by old tool versions)
// are taken too.
#pragma once

#include <array>
#include <string>

#include "sim/valve_model.h"

namespace sim {

// False, with the reason in `error`, for a file that cannot be read, has
// another format, is short or fails its sum.
bool readCfgBanks(const std::string& path, std::array<Bank, 3>& banks, std::string& error);

}  // namespace sim
