// The one event wait of the program. The main loop and the wait for an acknowledgement both take
// their events through it, so the last event taken by either is the one the loop acts on next.
#pragma once

#include "platform/window.h"

namespace tarvel {

class EventSource {
  public:
    explicit EventSource(Window& window) : window_(window) {}

    Event next(int timeoutMs) {
        const Event event = window_.waitForEvent(timeoutMs);
        // The timer's ticks carry no action: one that a handler's wait takes after a key-down
        // must not push the key-down out (Windows sends them whatever the program is doing).
        // The port's bytes end a wait as its time-out would: with nothing of the operator's.
        if (event.kind == EventKind::Port)
            last_ = Event::none();
        else if (event.kind != EventKind::Timer)
            last_ = event;
        return event;
    }
    const Event& last() const { return last_; }
    // What the last wait took is not to be acted on.
    void forgetLast() { last_ = Event::none(); }

  private:
    Window& window_;
    Event last_;
};

}  // namespace tarvel
