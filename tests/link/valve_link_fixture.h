// The fixture of the sequence tests. One definition of ValveLinkTest for the
// whole test program: two classes of that name, each with its own inline
// TearDown, left it to the linker which one every test ran.
#pragma once

#include "support/valve_link_test.h"
