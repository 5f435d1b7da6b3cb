// The link reaching up for the window's control table: the layer check must name this include.
#pragma once

#include "ui/control_table.h"
