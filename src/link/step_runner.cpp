#include "link/step_runner.h"

namespace tarvel {

LineResult StepRunner::run(const Step& step) {
    const LineResult result =
        step.target ? sender_.sendMove(step.text, *step.target, step.tail, step.form, step.pace)
                    : sender_.sendLine(step.text, step.pace);
    if (counts(result)) step.effect.applyTo(record_);
    return result;
}

bool StepRunner::run(std::span<const Step> steps) {
    for (const Step& step : steps)
        if (endsOperation(run(step))) return false;
    return true;
}

}  // namespace tarvel
