#include "params/valve_state.h"

namespace tvx::params {

HeldParameters Held;
bool HeldFlagsRead = false;
int CurrentProfile = 0;
bool BoardVariant = false;
bool In2Present = false;

}  // namespace tvx::params
