// The program: start-up, the main loop and the subsystems it hands events to.
#pragma once

#include "link/command_exchange.h"
#include "link/serial_link.h"
#include "manual/jogging.h"
#include "manual/key_jog_pacer.h"
#include "manual/setup_commands.h"
#include "platform/files.h"
#include "platform/power.h"
#include "platform/serial.h"
#include "platform/window.h"
#include "profile/profile_file.h"
#include "state/program_state.h"
#include "winding/section_cycle.h"

namespace tarvel {

class App {
  public:
    App(Window& window, SerialPort& port, Clock& clock, Power& power, Files& files,
        FileDialogs& dialogs);

    // Start-up, main loop, shut-down; the process exit code: 0, or 1 when the window could not
    // be made.
    int run();

    // The steps of run(), for tests.
    bool startUp();
    void mainLoopPass();

    // The subsystems, as the dispatch tables reach them.
    Window& window() { return window_; }
    ProgramState& state() { return state_; }
    CommandExchange& exchange() { return exchange_; }
    SerialLink& link() { return link_; }
    WindingCycles& cycles() { return cycles_; }
    Jogging& jogging() { return jogging_; }
    KeyJogPacer& keyPacer() { return keyPacer_; }
    SetupCommands& setup() { return setup_; }
    ProfileFile& profile() { return profile_; }

  private:
    void refreshReadout();
    void noticeLostConnection();

    Window& window_;
    Power& power_;
    Files& files_;
    ProgramState state_;
    CommandExchange exchange_;
    SerialLink link_;
    WindingCycles cycles_;
    Jogging jogging_;
    KeyJogPacer keyPacer_;
    SetupCommands setup_;
    ProfileFile profile_;
};

}  // namespace tarvel
