// A picture of the planned work to hold against the drawing: the core seen from its end with
// its slots and the coil of each section from its start angle to its throw, and the stroke seen
// from the side (core height, distance to the commutator, stroke ends, the dip against the slot
// depth).
#pragma once

#include <string>

#include "plan/plan_work.h"

namespace tarvel::plan {

std::string planSvg(const Plan& plan);

}  // namespace tarvel::plan
