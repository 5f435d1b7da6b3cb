// The program-wide state: one object, owned by the app and handed to the subsystems.
#pragma once

#include <cstdint>
#include <string>

#include "motion/motion_model.h"
#include "platform/window.h"

namespace tarvel {

// Where the program believes the machine stands; never read back from the controller.
struct TrackedPosition {
    float height = 0;    // Z, mm
    float length = 0;    // Y, mm
    float rotation = 0;  // E, degrees
};

struct ProgramState {
    TrackedPosition position;
    float slotPitch = 0;            // degrees, 360 / number of slots
    std::int32_t sectionCount = 0;  // 1 to 4 once computed
    std::int32_t lastWoundSection = 0;
    std::int32_t accelStart = 0;
    std::int32_t accelRun = 0;
    std::int32_t feedE = 0;
    std::int32_t feedYZ = 0;
    bool stopRequested = false;
    bool paused = false;
    std::int32_t firstPortToTry = 0;
    // n of the COMn port open to the controller; 0 while none is.
    std::int32_t connectedPort = 0;
    // The Y acceleration the controller works with: its own until an "M201 Y" lowers it, and
    // its own again once its port is opened anew (that resets it).
    double controllerAccelerationY = motion::kAcceleration;
    Event lastEvent;
    bool quitRequested = false;
    std::string savedFieldText;
    std::string profilePath;
};

}  // namespace tarvel
