// The two machine cycles: the winding of one section and the staking of the commutator, each a
// program of steps run by one runner, which stops at the first step that does not go out; and
// the continuation of a stopped cycle, which goes back to where it stopped and runs the same
// program from that step.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "link/step_runner.h"
#include "state/run_control.h"
#include "state/section_layout.h"
#include "state/speed_values.h"
#include "winding/cycle_program.h"
#include "winding/cycle_view.h"
#include "winding/stopped_cycle.h"
#include "winding/winding_form.h"

namespace tarvel {

class WindingCycles {
  public:
    WindingCycles(const WindingForm& form, CycleView& view, StepRunner& steps, RunControl& run,
                  SectionLayout& layout, SpeedValues& speeds);

    // Winds section k (1 to 4), or continues it where СТОП stopped it when the operator says so,
    // and enables the four section buttons again.
    void windSection(int section);
    // Strikes every commutator bar once, turning the workpiece from bar to bar; or continues a
    // stopped staking.
    void stakeCommutator();

    // The machine's position has been declared anew (or the controller reset): a stopped cycle
    // can no longer be continued, which its button says once.
    void dropContinuation();
    // Where the cycle of a section (or the staking, StoppedCycle::kStaking) stopped, if it did.
    const std::optional<StoppedCycle>& stoppedCycle(int section) const {
        return stopped_[static_cast<std::size_t>(section)];
    }

  private:
    enum class Start { Anew, Continue, Nothing };
    // Asks the operator whether a stopped run of the cycle is to be continued.
    Start startOrContinue(int section, std::int64_t count);
    std::optional<StoppedCycle>& stopped(int section) {
        return stopped_[static_cast<std::size_t>(section)];
    }

    // Runs cycle `section`'s program from `from` (within `begun`, the block it stopped in, when
    // that had begun) to its end, or to the first step that does not go out, which it remembers
    // with what the cycle had read. False when not one of its lines counted.
    bool run(int section, CycleProgram& program, CyclePlace from, std::optional<Block> begun,
             const SectionReads& reads = {});
    // Back where the stopped cycle left the machine; false when a line of the way was held back.
    bool returnToStop(const StoppedCycle& stopped);
    void setProgress(int section, std::int32_t percent);

    const WindingForm& form_;
    CycleView& view_;
    StepRunner& steps_;
    RunControl& run_;
    SectionLayout& layout_;
    SpeedValues& speeds_;
    // Each cycle's button remembers where it stopped, so that it warns before winding anew over
    // the turns already wound; only the last to stop can be continued.
    std::array<std::optional<StoppedCycle>, 5> stopped_;
};

}  // namespace tarvel
