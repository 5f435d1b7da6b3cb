// The winding of one section as a program: to the start of the stroke, down to the dip, turned by
// the rotation before winding; the turns; down, turned by the rotation after winding, up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "state/speed_values.h"
#include "winding/cycle_program.h"
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

// Its blocks: 0 to the dip, 1 the turn before winding, then one per turn, then the departure's
// descent and its turn and rise. The turns field is read once the approach is done, the speed at
// every turn, the rotations when the cycle gets to them.
class SectionProgram final : public CycleProgram {
  public:
    SectionProgram(const WindingForm& form, int section, SectionReads& reads, SpeedValues& speeds);

    bool make(std::int64_t n, Block& block) override;
    std::int64_t dryRunFrom(std::int64_t n) override;
    void begun(const Block& block) override;

  private:
    struct Feeds {
        std::int32_t e, yz;
    };
    // The feeds of a turn, from the speed as it is now.
    Feeds turnFeeds() const;
    std::int32_t turnProgress(std::int64_t i) const;
    // Makes turn i out of turn i - 1 in `block` when both lie between the second turn and the
    // last, at the same feeds.
    bool sameAsTheTurnBefore(std::int64_t i, Block& block) const;
    std::int32_t turns();
    void toTheDip(Block& block) const;
    void turnBeforeWinding(Block& block);
    void turn(std::int64_t i, Block& block);
    void descent(Block& block) const;
    void departure(Block& block) const;

    const WindingForm& form_;
    int section_;
    SectionReads& reads_;
    SpeedValues& speeds_;
    SectionGeometry g_;
};

}  // namespace tarvel
