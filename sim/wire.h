// The protocol's wire constants under a short name for the simulator's sources.
#pragma once

#include "link/protocol.h"

namespace sim {
namespace proto = ::tvx::proto;
}  // namespace sim
