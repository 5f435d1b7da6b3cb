// How far the machine is behind the program. The controller says "ok" to a move as soon as it has
// queued it, so the program cannot hear where the machine is; it works it out instead, with the
// practice controller's motion model run over every line that went out. The cycles send their
// next move only once the machine has little left to do, so that СТОП stops the machine soon.
#pragma once

#include <cstdint>
#include <string_view>

#include "motion/motion_model.h"

namespace tarvel {

class MachinePace {
  public:
    // Motion the machine may still have queued when a cycle sends its next move: enough to cover
    // the USB serial adapter's latency (up to 16 ms) and Windows' scheduling, so the machine
    // never waits for the program, little enough that СТОП stops it within the move in progress
    // and this.
    static constexpr std::int64_t kLookAheadMs = 200;

    // A line went out at `nowMs` (several, when the operator's command box held several).
    void sent(std::string_view text, std::int64_t nowMs);
    // The controller answered the last line at `nowMs`. A dwell, a homing or an emergency stop
    // is answered only once every queued move has ended.
    void answered(std::int64_t nowMs);
    // Milliseconds of motion the machine has queued at `nowMs`, the move in progress included.
    std::int64_t queuedMs(std::int64_t nowMs) const;
    // The controller said where an axis stands (after a homing): the moves from there are timed
    // from there.
    void declare(motion::Axis axis, double at) { machine_.declare(axis, at); }
    // The limits the controller's start-up text states (the constants where it states none),
    // and those its lines have set since.
    const motion::Limits& limits() const { return machine_.limits(); }
    void setLimits(const motion::Limits& limits) { machine_.setLimits(limits); }

  private:
    motion::Machine machine_;
    double queueEndsMs_ = 0;  // when the last move queued ends
    bool drainsQueue_ = false;
};

}  // namespace tarvel
