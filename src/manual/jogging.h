// Jogging: one axis moved by a fixed step from a key or a jog button, and the workpiece turned
// to a fixed angle or by one slot. Every move is absolute: the target is the record's value
// moved by the step, and the record takes it once the line counts.
#pragma once

#include <span>

#include "link/step_runner.h"
#include "manual/manual_view.h"
#include "state/section_layout.h"
#include "state/tracked_position.h"

namespace tarvel {

struct JogAxis {
    float TrackedPosition::*field;
    const char* head;  // the move up to its number, e.g. "G0 Z"
    int feed;          // units/min; the line ends "F" + feed + "\r\n" (no space before the word)
};

// One axis by a step.
struct Jog {
    const JogAxis* axis;
    float step;
};

// The jog buttons of the manual panel.
enum class JogButton { HeightUp, HeightDown, LengthUp, LengthDown, RotationDown, RotationUp };
const Jog& buttonJog(JogButton button);

// A key (its virtual-key code) and its jog.
struct KeyJog {
    int key;
    Jog jog;
};
std::span<const KeyJog> keyJogs();
// The jog of a key, or null when the key has none.
const Jog* keyJog(int key);

// A rotation button: an absolute angle, or one slot pitch forward (+1) or back (-1).
struct Rotation {
    float angle;
    int slots;
};
enum class RotationButton { To0, ToMinus180, ToMinus360, To180, To360, SlotForward, SlotBack };
const Rotation& rotation(RotationButton button);

class Jogging {
  public:
    Jogging(StepRunner& steps, const SectionLayout& layout, ManualView& view);

    // The record keeps the fraction of the target; the line carries the nearest whole number.
    // With no controller only the record moves.
    void jog(const Jog& jog);
    // Resets the section progress bars, then turns the workpiece.
    void rotate(const Rotation& rotation);

  private:
    // A step from a place the program does not know would be a move to anywhere: refused, and
    // the operator is told.
    bool knowsTheAxis(float TrackedPosition::*field);

    StepRunner& steps_;
    const SectionLayout& layout_;
    ManualView& view_;
};

}  // namespace tarvel
