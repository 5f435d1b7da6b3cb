// The program: start-up, the main loop and the subsystems it hands events to. It owns the state
// of the program in pieces, each handed to the subsystems that need it.
#pragma once

#include <functional>

#include "app/window_ops.h"
#include "app/window_views.h"
#include "link/command_exchange.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "link/step_runner.h"
#include "manual/command_box.h"
#include "manual/jogging.h"
#include "manual/key_jog_pacer.h"
#include "manual/setup_commands.h"
#include "platform/files.h"
#include "platform/power.h"
#include "platform/serial.h"
#include "platform/window.h"
#include "profile/profile_file.h"
#include "state/event_source.h"
#include "state/run_control.h"
#include "state/section_layout.h"
#include "state/speed_values.h"
#include "state/tracked_position.h"
#include "winding/winding_cycles.h"

namespace tarvel {

class App {
  public:
    App(Window& window, SerialPort& port, Clock& clock, Power& power, Files& files,
        FileDialogs& dialogs);

    // Start-up, main loop, shut-down; the process exit code: 0, or 1 when the window could not
    // be made. `started` runs once the program has started, before the main loop (what a front
    // end shows beside the window).
    int run(const std::function<void()>& started = {});

    // The steps of run(), for tests.
    bool startUp();
    void mainLoopPass();

    // The subsystems, as the dispatch tables reach them.
    Window& window() { return window_; }
    WindowViews& views() { return views_; }
    CommandExchange& exchange() { return exchange_; }
    SerialLink& link() { return link_; }
    WindingCycles& cycles() { return cycles_; }
    Jogging& jogging() { return jogging_; }
    KeyJogPacer& keyPacer() { return keyPacer_; }
    SetupCommands& setup() { return setup_; }
    CommandBox& commandBox() { return commandBox_; }
    ProfileFile& profile() { return profile_; }
    FocusEditing& focusEditing() { return focusEditing_; }

    // The pieces of the program's state, for the dispatch and for tests.
    TrackedPosition& position() { return position_; }
    RunControl& runControl() { return run_; }
    LinkState& linkState() { return linkState_; }
    SectionLayout& layout() { return layout_; }
    SpeedValues& speeds() { return speeds_; }
    EventSource& events() { return events_; }
    bool quitRequested() const { return quitRequested_; }

  private:
    void refreshReadout();
    void noticePortAtRest(const Event& event);
    void noticeLostConnection();
    void noticeRestart();
    void noticeHalt();

    Window& window_;
    Power& power_;
    Files& files_;
    EventSource events_;
    RunControl run_;
    LinkState linkState_;
    TrackedPosition position_;
    SectionLayout layout_;
    SpeedValues speeds_;
    FocusEditing focusEditing_;
    bool quitRequested_ = false;
    WindowViews views_;
    CommandExchange exchange_;
    // Every line of an operation goes out through it, and the record follows the lines that count.
    StepRunner steps_;
    SerialLink link_;
    WindingCycles cycles_;
    Jogging jogging_;
    KeyJogPacer keyPacer_;
    SetupCommands setup_;
    CommandBox commandBox_;
    ProfileFile profile_;
};

}  // namespace tarvel
