// Sends steps and keeps the position record to the lines that count (where the machine comes to
// rest once its queue is done) and to what the controller says after a homing.
#pragma once

#include <span>

#include "link/line_sender.h"
#include "link/step.h"
#include "state/tracked_position.h"

namespace tarvel {

class StepRunner {
  public:
    StepRunner(LineSender& sender, TrackedPosition& record) : sender_(sender), record_(record) {}

    // Sends the step's line; once it counts, the record takes the step's effect.
    LineResult run(const Step& step);
    // The steps in order, until one ends the operation: false then.
    bool run(std::span<const Step> steps);

    const TrackedPosition& record() const { return record_; }
    // The record holds `at` whatever the line that declares it becomes: the board has just
    // started, and counts from where the machine stands.
    void declare(const TrackedPosition& at) { record_ = at; }

  private:
    void takeHoming(const RecordEffect& homing, LineResult result);

    LineSender& sender_;
    TrackedPosition& record_;
};

}  // namespace tarvel
