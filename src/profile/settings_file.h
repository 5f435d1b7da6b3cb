// settings.ini: start values of the four machine speed values, one integer a line.
#pragma once

#include "platform/files.h"
#include "state/speed_values.h"

namespace tarvel {

// Reads settings.ini of the current folder once at start-up: a line above 0 replaces its
// value (by its low 32 bits), anything else leaves the built-in value. A missing file is created
// empty, so the operator finds where to put the values.
void readSettings(Files& files, SpeedValues& speeds);

}  // namespace tarvel
