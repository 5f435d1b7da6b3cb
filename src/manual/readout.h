// The position readout: where the machine comes to rest by the record, with the fractions that
// the whole-number moves do not show; an axis the program does not know the place of, as such.
#pragma once

#include <string>

#include "state/tracked_position.h"

namespace tarvel {

std::string positionReadout(const TrackedPosition& at);

}  // namespace tarvel
