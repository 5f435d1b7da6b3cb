// The winding of one section and the staking of the commutator: G-code built from the winding
// parameters, sent line by line.
#pragma once

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

    // Winds section k (1 to 4) and enables the four section buttons again.
    void windSection(int section);
    // Strikes every commutator bar once, turning the workpiece from bar to bar.
    void stakeCommutator();

  private:
    void approach(const SectionGeometry& g);
    void setTurnFeeds();
    void windTurn(const SectionGeometry& g, std::int64_t turn, bool last);
    void skipToTheLastTurn(int k, const SectionGeometry& g);
    void depart(const SectionGeometry& g);
    // One strike and the turn to the next bar; false when the bar field holds no bars any more.
    bool strike(std::int64_t pass);
    // The tracked position takes the target before the line goes out, as the machine stands
    // there once the controller has carried it out.
    void move(float TrackedPosition::*axis, std::string_view head, double target,
              std::string_view tail);
    void send(const std::string& line) { sender_.sendLine(line); }
    void setProgress(int section, std::int32_t percent);

    const WindingForm& form_;
    CycleView& view_;
    LineSender& sender_;
    RunControl& run_;
    TrackedPosition& position_;
    SectionLayout& layout_;
    SpeedValues& speeds_;
};

}  // namespace tarvel
