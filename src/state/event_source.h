// The one event wait of the program. The main loop and the wait for an acknowledgement both take
// their events through it, so the last event taken by either is the one the loop acts on next.
#pragma once

#include "platform/window.h"

namespace tarvel {

class EventSource {
  public:
    explicit EventSource(Window& window) : window_(window) {}

    Event next(int timeoutMs) {
        last_ = window_.waitForEvent(timeoutMs);
        return last_;
    }
    const Event& last() const { return last_; }
    // What the last wait took is not to be acted on.
    void forgetLast() { last_ = Event::none(); }

  private:
    Window& window_;
    Event last_;
};

}  // namespace tarvel
