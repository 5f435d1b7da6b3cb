// Where the program believes the machine stands; never read back from the controller. The
// operations move it before they send a line, so it reads as the machine will stand once the
// controller has carried the line out.
#pragma once

namespace tarvel {

struct TrackedPosition {
    float height = 0;    // Z, mm
    float length = 0;    // Y, mm
    float rotation = 0;  // E, degrees
};

}  // namespace tarvel
