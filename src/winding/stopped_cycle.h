// A cycle that СТОП ended, remembered so that it can go on exactly where it stopped: every move
// is absolute, each line goes out only once the one before it is answered, and the record holds
// the targets of the lines that went out, so the program knows where the machine came to rest and
// which line comes next.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "state/tracked_position.h"
#include "winding/parameters.h"

namespace tarvel {

// Where a cycle stands: its phase, the turn (the pass of the staking) and how many lines of that
// phase or turn have gone out. The staking's lines before its passes are its approach.
struct CyclePoint {
    enum class Phase { Approach, Turns, Departure };
    Phase phase = Phase::Approach;
    std::int64_t turn = 0;
    int line = 0;
};

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
    CyclePoint at;           // the first line that did not go out
    TrackedPosition where;   // the record then: where the machine came to rest
    SectionReads reads;
    // False once the machine's position has been declared anew (a zero, a new connection, any
    // line the record does not follow): the record no longer says where the cycle stopped.
    bool continuable = true;
};

// The height above which a cycle moves along the core and turns the workpiece: travel height for a
// section, the height the staking punch rises to between two bars.
float travelHeight(const StoppedCycle& stopped);

// The question put to the operator who presses the button of a stopped cycle, and the one once
// it can no longer be continued. `count`: what the bar field (the staking) or the section's turns
// field holds now, for a count the cycle had not read yet.
std::string continueQuestion(const StoppedCycle& stopped, std::int64_t count);
std::string cannotContinueQuestion(const StoppedCycle& stopped, std::int64_t count);

}  // namespace tarvel
