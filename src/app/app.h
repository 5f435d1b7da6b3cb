// The program: start-up, the main loop and the dispatch of keys and control events.
#pragma once

#include "app/program_state.h"
#include "link/command_exchange.h"
#include "link/serial_link.h"
#include "manual/setup_commands.h"
#include "platform/serial.h"
#include "platform/window.h"
#include "winding/section_cycle.h"

namespace tarvel {

class App {
  public:
    App(Window& window, SerialPort& port, Clock& clock);

    // Start-up, main loop, shut-down; the process exit code (always 0).
    int run();

    // The steps of run(), for tests.
    bool startUp();
    void mainLoopPass();

    // Waits for the next window event and keeps it as the last event.
    Event waitForEvent(int timeoutMs);

    ProgramState& state() { return state_; }
    CommandExchange& exchange() { return exchange_; }
    SerialLink& link() { return link_; }

  private:
    void dispatchKey(int key);
    void dispatchControl(const Event& event);

    void windSection(int section);
    void fieldFocusGained(ControlId id);
    void fieldFocusLost(ControlId id);

    Window& window_;
    ProgramState state_;
    CommandExchange exchange_;
    SerialLink link_;
    WindingCycles cycles_;
    SetupCommands setup_;
};

}  // namespace tarvel
