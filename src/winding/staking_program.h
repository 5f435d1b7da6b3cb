// The staking of the commutator as a program: the height and angle where it starts declared
// zero, the punch up to 20; then for each bar a strike and the turn to the next bar.
#pragma once

#include "winding/cycle_program.h"
#include "winding/winding_form.h"

namespace tarvel {

// Its blocks: 0 the start, then for pass p the strike (2p - 1) and the turn (2p). The bar field
// is read again at every strike and every turn, the power at every strike: the operator may
// change either while staking.
class StakingProgram final : public CycleProgram {
  public:
    explicit StakingProgram(const WindingForm& form) : form_(form) {}

    bool make(std::int64_t n, Block& block) override;
    std::int64_t dryRunFrom(std::int64_t n) override;

  private:
    void start(Block& block) const;
    bool strike(std::int64_t pass, Block& block) const;
    bool turnToTheNextBar(std::int64_t pass, Block& block) const;

    const WindingForm& form_;
};

}  // namespace tarvel
