// The link reaching up into the winding cycles, inside the core: named too.
#pragma once

#include "winding/winding_cycles.h"
