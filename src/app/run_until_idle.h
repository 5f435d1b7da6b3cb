// The program driven by an operator of the in-memory window: the tests' operator, and the plan
// tool's, which presses the buttons of a whole piece of work.
#pragma once

#include "app/app.h"
#include "platform/memory/memory_window.h"

namespace tarvel {

// Runs the main loop until the operator's script is used up and no key jog is kept back for the
// machine, then one pass more for the consequences of the last event.
inline void runUntilIdle(App& app, memory::MemoryWindow& window) {
    window.closeWhenIdle = false;
    while (!window.scriptDone())
        app.mainLoopPass();
    do
        app.mainLoopPass();
    while (app.keyPacer().holding());
}

}  // namespace tarvel
