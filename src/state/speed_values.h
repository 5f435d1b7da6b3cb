// The four machine speed values of the winding cycle: the Y accelerations before the first turn
// and from the second, and the feeds of the rotation and of the Y and Z moves. settings.ini gives
// their start values; every section cycle sets them from the winding speed.
#pragma once

#include <cstdint>

namespace tarvel {

struct SpeedValues {
    std::int32_t accelStart = 3000;
    std::int32_t accelRun = 3000;
    std::int32_t feedE = 220000;
    std::int32_t feedYZ = 120000;
};

}  // namespace tarvel
