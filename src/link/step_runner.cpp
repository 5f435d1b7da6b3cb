#include "link/step_runner.h"

namespace tarvel {

LineResult StepRunner::run(const Step& step) {
    // A position line that came before a homing is not where it ends.
    if (step.effect.homes()) sender_.takeReport();
    const LineResult result =
        step.target ? sender_.sendMove(step.text, *step.target, step.tail, step.form, step.pace)
                    : sender_.sendLine(step.text, step.pace);
    if (!counts(result)) return result;
    step.effect.applyTo(record_);
    if (step.effect.homes()) takeHoming(step.effect, result);
    return result;
}

bool StepRunner::run(std::span<const Step> steps) {
    for (const Step& step : steps)
        if (endsOperation(run(step))) return false;
    return true;
}

// The controller prints where its axes stand at the end of a homing; one that does not is asked.
// Where neither says, the homed axes are not known. With no controller, the switches are the zero
// of the motion model.
void StepRunner::takeHoming(const RecordEffect& homing, LineResult result) {
    std::optional<motion::Axes> at = motion::Axes{};
    if (result != LineResult::DryRun) {
        at = sender_.takeReport();
        if (!at && sender_.sendLine("M114\r\n") == LineResult::Sent) at = sender_.takeReport();
    }
    const auto take = [&](bool homed, float TrackedPosition::*field, double reported) {
        if (!homed) return;
        if (at) {
            record_.set(field, StoreReal(reported));
        } else {
            record_.forget(field);
        }
    };
    take(homing.homesHeight, &TrackedPosition::height, at ? at->z : 0);
    take(homing.homesLength, &TrackedPosition::length, at ? at->y : 0);
}

}  // namespace tarvel
