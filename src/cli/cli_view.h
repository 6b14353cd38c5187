// What the command line tool shows instead of a window: a recorded view (the
// sequences push their values here by component name, a send takes the
// fields back), numbers with a decimal point.
#pragma once

#include "params/identity_text.h"
#include "params/recorded_view.h"

namespace tvx::cli {

using CliView = params::RecordedView;
using params::IdentityText;

}  // namespace tvx::cli
