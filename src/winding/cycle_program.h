// A winding cycle as a program of steps, made a block at a time as the runner reaches it: the
// approach, each turn of a section (each strike and each turn to the next bar of the staking),
// the departure. A block reads the fields it needs when it is made, so what the operator changes
// while the cycle runs counts from the next block on, and a block begun keeps what it read.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/step.h"

namespace tarvel {

struct Block {
    enum class Phase { Approach, Turns, Departure };
    Phase phase = Phase::Approach;
    std::int64_t turn = 0;  // the turn of a section, the pass (the bar) of the staking
    // The share of the cycle reached once the block's first line counts.
    std::optional<std::int32_t> progress;
    // The feeds of a turn, the speed values once the turn is begun.
    std::optional<std::int32_t> feedE, feedYZ;
    std::vector<Step> steps;

    // Empty again for the next block, keeping the room its steps took.
    void clear() {
        steps.clear();
        progress.reset();
        feedE.reset();
        feedYZ.reset();
    }
};

// Where a cycle stands: a block and the index of its first step not sent.
struct CyclePlace {
    std::int64_t block = 0;
    std::size_t step = 0;
    friend bool operator==(const CyclePlace&, const CyclePlace&) = default;
};

class CycleProgram {
  public:
    virtual ~CycleProgram() = default;
    // Makes block `n` into `block`, which holds the block made before it (or nothing), reading
    // the fields it needs now; false when the cycle has no block `n`: it is done.
    virtual bool make(std::int64_t n, Block& block) = 0;
    // With no controller the blocks left only move the record: the block from which the run may
    // go on instead of `n` to the same end (the last turn, say), without counting through
    // millions of turns.
    virtual std::int64_t dryRunFrom(std::int64_t n) { return n; }
    // The block's first line counted: what it read is the cycle's from now on.
    virtual void begun(const Block&) {}
};

}  // namespace tarvel
