// The winding of one section and the staking of the commutator: G-code built from the winding
// parameters, sent line by line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/line_sender.h"
#include "state/run_control.h"
#include "state/section_layout.h"
#include "state/speed_values.h"
#include "state/tracked_position.h"
#include "winding/cycle_view.h"
#include "winding/parameters.h"
#include "winding/stopped_cycle.h"

namespace tarvel {

struct SectionGeometry {
    std::int32_t yStart = 0;  // mm
    std::int32_t yEnd = 0;    // mm
    float dipDepth = 0;       // mm, below travel height
    float slotHalfAngle = 0;  // degrees
    float eStart = 0;         // degrees
    float eThrow = 0;         // degrees
};

SectionGeometry computeSectionGeometry(const CommonParameters& p);

// Why the parameters cannot be wound: a message that names the field to correct, or nothing
// when every target of the cycle is a number the controller can be sent.
std::optional<std::string> sectionRefusal(const CommonParameters& p, float rotationBefore,
                                          float rotationAfter);

class WindingCycles {
  public:
    WindingCycles(const WindingForm& form, CycleView& view, LineSender& sender, RunControl& run,
                  TrackedPosition& position, SectionLayout& layout, SpeedValues& speeds);

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

    void runSection(int k, SectionReads reads, CyclePoint from);
    void approach(const SectionGeometry& g, SectionReads& reads);
    void windTurns(int k, const SectionGeometry& g, SectionReads& reads, std::int64_t firstTurn);
    void setTurnFeeds();
    void windTurn(const SectionGeometry& g, std::int64_t turn, bool last);
    void skipToTheLastTurn(int k, const SectionGeometry& g);
    void depart(const SectionGeometry& g);

    void runStaking(CyclePoint from);
    // One strike and the turn to the next bar; false when the bar field holds no bars any more.
    bool strike(std::int64_t pass);

    // Back where the stopped cycle left the machine; false when a line of the way was held back.
    bool returnToStop(const StoppedCycle& stopped);
    bool returnMove(float TrackedPosition::*axis, std::string_view head, float target,
                    NumberForm form = NumberForm::Integer);

    // The lines of the running cycle, from `from` on: the lines before it went out in a run that
    // СТОП ended and are passed over; the rest go out at the machine's pace. The first held back
    // is where the cycle stops.
    void begin(int cycle, CyclePoint from);
    void enter(CyclePoint::Phase phase, std::int64_t turn) { at_ = {phase, turn, 0}; }
    // True when the line counts (it went out, or no port is open): only then does the record
    // follow it.
    bool line(std::string_view text);
    bool move(float TrackedPosition::*axis, std::string_view head, double target,
              std::string_view tail, NumberForm form = NumberForm::Integer);
    // A line that went out before the stop (passed over now), or any once the cycle stopped.
    bool skipped();
    bool counted(bool sent);
    // Remembers where the running cycle stopped, or forgets an earlier stop once it has ended.
    void finish(int section, const SectionReads& reads);
    void setProgress(int section, std::int32_t percent);

    const WindingForm& form_;
    CycleView& view_;
    LineSender& sender_;
    RunControl& run_;
    TrackedPosition& position_;
    SectionLayout& layout_;
    SpeedValues& speeds_;
    // Each cycle's button remembers where it stopped, so that it warns before winding anew over
    // the turns already wound; only the last to stop can be continued.
    std::array<std::optional<StoppedCycle>, 5> stopped_;
    CyclePoint at_;        // the running cycle's next line
    int passOver_ = 0;     // lines still to pass over before the first that goes out
    bool halted_ = false;  // a line of the running cycle was held back
};

}  // namespace tarvel
