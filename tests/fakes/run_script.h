#pragma once

#include "app/app.h"
#include "fakes/fake_window.h"

namespace tarvel::testing {

// Runs the main loop until the operator's script is used up and no key jog is kept back for the
// machine, then one pass more for the consequences of the last event.
inline void runScript(App& app, FakeWindow& window) {
    window.closeWhenIdle = false;
    while (!window.scriptDone())
        app.mainLoopPass();
    do
        app.mainLoopPass();
    while (app.keyPacer().holding());
}

}  // namespace tarvel::testing
