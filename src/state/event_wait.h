// The one event wait of the program. The main loop and the wait for an acknowledgement both take
// their events through it, so the last event taken by either is the one the loop acts on next.
#pragma once

#include "platform/window.h"
#include "state/program_state.h"

namespace tarvel {

inline Event waitForEvent(Window& window, ProgramState& state, int timeoutMs) {
    state.lastEvent = window.waitForEvent(timeoutMs);
    return state.lastEvent;
}

}  // namespace tarvel
