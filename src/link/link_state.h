// What the link keeps of the connection: where the next search begins, which port is the
// controller's, how far its machine is behind the program, and what it has said of itself.
#pragma once

#include <cstdint>

#include "link/controller_watch.h"
#include "link/machine_pace.h"

namespace tarvel {

struct LinkState {
    std::int32_t firstPortToTry = 1;  // COMn at which the next search begins
    std::int32_t connectedPort = 0;   // n of the COMn port open to the controller; 0 while none
    // What the machine still has to do, by the lines that went out since its port was opened
    // (that resets the board: nothing queued, its own settings again).
    MachinePace machine;
    // What the controller has said of itself since the connection was made.
    ControllerWatch watch;

    // The board has just started (its port opened, or it restarted): nothing queued, its own
    // settings, nothing said yet but the settings of its start-up text, read so far.
    void boardStarted() {
        machine = MachinePace{};
        watch = ControllerWatch(watch.limits());
    }
    // The start-up text has been read: the machine's pace follows the limits it states.
    void takeSettings() { machine.setLimits(watch.limits()); }
};

}  // namespace tarvel
