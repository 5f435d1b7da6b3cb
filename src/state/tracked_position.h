// Where the machine comes to rest once the controller has carried out every line that went out:
// the record. Each line of an operation says what it sets here, and the record takes it once the
// line counts (it went out, or no port is open), so it reads as the machine will stand once its
// queue is done.
#pragma once

namespace tarvel {

struct TrackedPosition {
    float height = 0;    // Z, mm
    float length = 0;    // Y, mm
    float rotation = 0;  // E, degrees
};

}  // namespace tarvel
