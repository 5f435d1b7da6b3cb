// The whole program on the in-memory platform: what the tests, the fuzz rig, the benchmark and
// the plan tool run. Its operator is the in-memory window's script.
#pragma once

#include "app/app.h"
#include "memory/memory_files.h"
#include "memory/memory_power.h"
#include "memory/memory_serial.h"
#include "memory/memory_window.h"

namespace tarvel {

struct ProgramInMemory {
    memory::MemoryWindow window;
    memory::MemorySerialPort port;
    memory::MemoryClock clock;
    memory::MemoryPower power;
    memory::MemoryFiles files;
    memory::MemoryFileDialogs dialogs;
    App app{window, port, clock, power, files, dialogs};

    // What the devices send arrives by the program's own clock, and a wait takes its time-out,
    // as on Windows: the machine the program paces its lines to moves on meanwhile.
    ProgramInMemory() {
        port.clock = &clock;
        window.clock = &clock;
        window.activity = &port.activity;
    }

    // Runs the main loop until the operator's script is used up and no key jog is kept back
    // for the machine, then one pass more for the consequences of the last event.
    void runUntilIdle() {
        window.closeWhenIdle = false;
        while (!window.scriptDone())
            app.mainLoopPass();
        do
            app.mainLoopPass();
        while (app.keyPacer().holding());
    }
};

}  // namespace tarvel
