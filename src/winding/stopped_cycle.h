// A cycle that СТОП ended, remembered so that it can go on exactly where it stopped: every move
// is absolute, each line goes out only once the one before it is answered, and the record holds
// the targets of the lines that went out, so the program knows where the machine came to rest and
// which step comes next.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/step.h"
#include "state/tracked_position.h"
#include "winding/cycle_program.h"
#include "winding/parameters.h"

namespace tarvel {

// What a section cycle has read of the fields so far. A continued section keeps them; what it
// had not read yet it reads when it gets there, as an uninterrupted run would.
struct SectionReads {
    CommonParameters parameters;
    std::optional<float> rotationBefore;
    std::optional<std::int32_t> turns;
};

struct StoppedCycle {
    static constexpr int kStaking = 0;

    int section = kStaking;  // 1 to 4, or the staking
    CyclePlace at;           // the first step that did not go out
    Block block;             // the block it belongs to, as it was made
    TrackedPosition where;   // the record then: where the machine came to rest
    SectionReads reads;
    // False once the machine's position has been declared anew (a zero, a new connection, any
    // line the record does not follow): the record no longer says where the cycle stopped.
    bool continuable = true;

    // The block to go on within: the one it stopped in once that had begun (what it read stays);
    // none when it stopped before the block's first step, which is then made anew.
    std::optional<Block> begunBlock() const {
        return at.step > 0 ? std::optional<Block>(block) : std::nullopt;
    }
};

// The way back to where the cycle stopped, from where jogs have taken the machine since (`at`):
// up to the cycle's travel height first when the tool is below it and the length or the rotation
// must move, then the length and the rotation, then down to where it stopped (the staking's punch
// no lower than its travel height). After no jog, no step at all.
std::vector<Step> wayBack(const StoppedCycle& stopped, const TrackedPosition& at);

// The question put to the operator who presses the button of a stopped cycle, and the one once
// it can no longer be continued. `count`: what the bar field (the staking) or the section's turns
// field holds now, for a count the cycle had not read yet.
std::string continueQuestion(const StoppedCycle& stopped, std::int64_t count);
std::string cannotContinueQuestion(const StoppedCycle& stopped, std::int64_t count);

}  // namespace tarvel
