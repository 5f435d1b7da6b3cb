// A held key repeats about 30 times a second, faster than the machine carries out its 1 mm jogs,
// and the controller takes 15 moves ahead of the machine: jogging at the keyboard's pace would
// leave the machine moving for most of a second after the key is let go. So a key's jog goes
// out only once the machine, by the motion model of what went out, has carried out everything
// it was sent (a long rotation before the key among it); a key-down that comes sooner is kept,
// in place of one kept before, and goes out at that moment unless another event comes first. No
// key-up reaches the program, so at most that one jog goes out after a release.
#pragma once

#include <cstdint>

#include "link/machine_pace.h"
#include "manual/jogging.h"
#include "platform/window.h"

namespace tarvel {

class KeyJogPacer {
  public:
    KeyJogPacer(Clock& clock, Jogging& jogging, const MachinePace& machine)
        : clock_(clock), jogging_(jogging), machine_(machine) {}

    // A jog key went down.
    void keyDown(const Jog& jog);
    // How long the main loop may wait for its next event: `longest`, or less when a kept jog
    // falls due sooner.
    int waitMs(int longest);
    // What the main loop's wait brought: a kept jog that has fallen due goes out when nothing
    // or only the timer came; a jog key's next key-down takes its place; anything else drops
    // it. True when a jog went out.
    bool afterWait(const Event& event);
    bool holding() const { return kept_ != nullptr; }

    // Time allowed on top of the motion model's, for the line to reach the machine.
    static constexpr std::int64_t kMarginMs = 1;

  private:
    // Milliseconds until the machine has carried out all it was sent, and the margin.
    std::int64_t busyMs() { return machine_.queuedMs(clock_.nowMs() - kMarginMs); }

    Clock& clock_;
    Jogging& jogging_;
    const MachinePace& machine_;
    const Jog* kept_ = nullptr;
};

}  // namespace tarvel
