// СТОП and ПАУЗА: what the operator asks of the operation that waits for the controller. They
// act only during the waits; which buttons they are, the window's owner says.
#pragma once

#include "platform/window.h"

namespace tarvel {

class RunControl {
  public:
    RunControl(ControlId stopButton, ControlId pauseButton)
        : stopButton_(stopButton), pauseButton_(pauseButton) {}

    enum class Press { None, Stop, Pause };
    // An event a wait took: СТОП skips every further line of the operation and ends a pause;
    // ПАУЗА holds the port back until it is pressed again.
    Press take(const Event& event) {
        if (event.isControl(stopButton_, ControlEventKind::Clicked)) {
            stopAll();
            return Press::Stop;
        }
        if (!event.isControl(pauseButton_, ControlEventKind::Clicked)) return Press::None;
        paused_ = !paused_;
        return Press::Pause;
    }
    // As after СТОП, without the button: the controller is gone.
    void stopAll() {
        stopRequested_ = true;
        paused_ = false;
    }
    // Every pass of the main loop starts an operation anew.
    void startOperation() { stopRequested_ = false; }
    // A section cycle starts with nothing asked of it.
    void startCycle() {
        stopRequested_ = false;
        paused_ = false;
    }

    bool stopRequested() const { return stopRequested_; }
    bool paused() const { return paused_; }

  private:
    ControlId stopButton_;
    ControlId pauseButton_;
    bool stopRequested_ = false;
    bool paused_ = false;
};

}  // namespace tarvel
