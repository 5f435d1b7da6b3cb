// What the link keeps of the connection: where the next search begins, which port is the
// controller's, and what the controller was last told about how it moves.
#pragma once

#include <cstdint>

#include "motion/motion_model.h"

namespace tarvel {

struct LinkState {
    std::int32_t firstPortToTry = 1;  // COMn at which the next search begins
    std::int32_t connectedPort = 0;   // n of the COMn port open to the controller; 0 while none
    // The Y acceleration the controller works with: its own until an "M201 Y" lowers it, and its
    // own again once its port is opened anew (that resets it).
    double controllerAccelerationY = motion::kAcceleration;
};

}  // namespace tarvel
