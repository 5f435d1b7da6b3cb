// The position readout: where the program believes the machine stands, with the fractions that
// the whole-number moves do not show.
#pragma once

#include <string>

#include "state/tracked_position.h"

namespace tarvel {

std::string positionReadout(const TrackedPosition& at);

}  // namespace tarvel
