// The staking of the commutator: every bar struck once, the workpiece turned from bar to bar.
#include <algorithm>

#include "numtext/reals.h"
#include "winding/section_cycle.h"

namespace tarvel {

void WindingCycles::stakeCommutator() {
    const std::int64_t bars = readBarCount(form_);
    switch (startOrContinue(StoppedCycle::kStaking, bars)) {
        case Start::Anew:
            if (bars > 0) runStaking({});
            return;
        case Start::Continue:
            if (returnToStop(*stopped(StoppedCycle::kStaking)))
                runStaking(stopped(StoppedCycle::kStaking)->at);
            return;
        case Start::Nothing:
            return;
    }
}

void WindingCycles::runStaking(CyclePoint from) {
    begin(StoppedCycle::kStaking, from);
    if (from.phase == CyclePoint::Phase::Approach) {
        enter(CyclePoint::Phase::Approach, 0);
        if (line("G92 Z0 E0 \r\n")) position_ = {0, position_.length, 0};
        if (line("G0 Z20 F5000\r\n")) position_.height = 20;
    }
    const bool resumed = from.phase == CyclePoint::Phase::Turns;
    for (std::int64_t i = resumed ? from.turn : 1; !halted_; ++i) {
        // The bar count is read again at every pass: the operator may change it while staking.
        // A pass begun before a stop is gone on with.
        if (!(resumed && i == from.turn) && i > LowBits32(readBarCount(form_))) break;
        if (passOver_ == 0 && sender_.stopped()) {
            at_ = {CyclePoint::Phase::Turns, i, 0};
            halted_ = true;
            break;
        }
        // No controller: straight to the last pass, which leaves the tracked position.
        if (!sender_.sending()) i = std::max(i, std::int64_t{LowBits32(readBarCount(form_))});
        if (!strike(i)) break;
    }
    finish(StoppedCycle::kStaking, {});
}

bool WindingCycles::strike(std::int64_t pass) {
    enter(CyclePoint::Phase::Turns, pass);
    // The record follows the punch down too: a stop in the strike leaves the punch at 0.
    if (line("G0 Z0 F" + FormatInteger(std::int64_t{3000} * readStakingPower(form_)) + "\r\n"))
        position_.height = 0;
    line("G04 X0.1\r\n");
    if (line("G0 Z20 F12000\r\n")) position_.height = 20;
    if (halted_) return false;
    const std::int64_t bars = readBarCount(form_);
    // The bar field emptied during the run: no angle to turn to.
    if (bars <= 0) return false;
    const float angle = StoreReal(static_cast<double>(pass) * (360.0 / static_cast<double>(bars)));
    move(&TrackedPosition::rotation, "G0 E", angle, " F120000\r\n", NumberForm::Real);
    return true;
}

}  // namespace tarvel
