// The winding data as the operator typed it, and the two sliders. Texts are read at the moment
// of use, so a field edited while a cycle runs counts with what it holds when it is read.
#pragma once

#include <string>

namespace tarvel {

// The fields the cycles read, besides the turns of each section.
enum class Parameter {
    CoreHeight,
    CoreDiameter,
    SlotCount,
    SlotDepth,
    SlotWidth,
    Poles,
    CommutatorDistance,
    BarCount,
    Direction,
    LayingOrder,
    RotationBefore,
    RotationAfter,
};

class WindingForm {
  public:
    virtual ~WindingForm() = default;
    virtual std::string text(Parameter parameter) const = 0;
    // The turns of section k (1 to 4).
    virtual std::string sectionTurns(int section) const = 0;
    // The sliders, 1 to 10.
    virtual int windingSpeed() const = 0;
    virtual int stakingPower() const = 0;
};

}  // namespace tarvel
