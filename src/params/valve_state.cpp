#include "params/valve_state.h"

namespace tvx::params {

HeldParameters Held;
bool ErrorMaskKnown = false;
bool HeldFlagsRead = false;
std::int64_t CurrentProfile = 0;
bool BoardVariant = false;
bool In2Present = false;

}  // namespace tvx::params
