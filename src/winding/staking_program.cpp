#include "winding/staking_program.h"

#include <algorithm>

#include "numtext/reals.h"
#include "winding/parameters.h"

namespace tarvel {

bool StakingProgram::make(std::int64_t n, Block& block) {
    block.clear();
    if (n == 0) {
        start(block);
        return true;
    }
    const std::int64_t pass = (n + 1) / 2;
    return n % 2 == 1 ? strike(pass, block) : turnToTheNextBar(pass, block);
}

std::int64_t StakingProgram::dryRunFrom(std::int64_t n) {
    // Straight to the last pass, which leaves the record as all of them would.
    if (n % 2 == 0) return n;
    const std::int64_t pass = std::max((n + 1) / 2, std::int64_t{LowBits32(readBarCount(form_))});
    return 2 * pass - 1;
}

void StakingProgram::start(Block& block) const {
    block.phase = Block::Phase::Approach;
    block.turn = 0;
    constexpr Pace pace = Pace::WithMachine;
    block.steps.push_back(lineStep("G92 Z0 E0 \r\n", {.height = 0, .rotation = 0}, pace));
    block.steps.push_back(lineStep("G0 Z20 F5000\r\n", {.height = 20}, pace));
}

// Down at the staking power's feed, a dwell, up again. The record follows the punch down too: a
// stop in the strike leaves the punch at 0.
bool StakingProgram::strike(std::int64_t pass, Block& block) const {
    if (pass > LowBits32(readBarCount(form_))) return false;
    block.phase = Block::Phase::Turns;
    block.turn = pass;
    constexpr Pace pace = Pace::WithMachine;
    const std::int64_t feed = std::int64_t{3000} * readStakingPower(form_);
    block.steps.push_back(lineStep("G0 Z0 F" + FormatInteger(feed) + "\r\n", {.height = 0}, pace));
    block.steps.push_back(lineStep("G04 X0.1\r\n", {}, pace));
    block.steps.push_back(lineStep("G0 Z20 F12000\r\n", {.height = 20}, pace));
    return true;
}

// To the angle of the next bar, in the real text form; none when the bar field has been emptied
// during the run.
bool StakingProgram::turnToTheNextBar(std::int64_t pass, Block& block) const {
    const std::int64_t bars = readBarCount(form_);
    if (bars <= 0) return false;
    block.phase = Block::Phase::Turns;
    block.turn = pass;
    const float angle = StoreReal(static_cast<double>(pass) * (360.0 / static_cast<double>(bars)));
    block.steps.push_back(moveStep("G0 E", angle, " F120000\r\n", &TrackedPosition::rotation,
                                   Pace::WithMachine, NumberForm::Real));
    return true;
}

}  // namespace tarvel
