// A step of a program that the machine is sent: one line (or one move) with its pace, and what
// the position record takes once the line counts. The cycles, the way back of a stopped cycle,
// the set-up commands and the jogs are all built of steps, and one runner sends them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/line_sender.h"
#include "state/tracked_position.h"

namespace tarvel {

// The fields of the record that a line sets, and their values: unrounded, where the line
// carries the nearest whole number. A homing sets its axes to where the controller says they
// stand once it is done.
struct RecordEffect {
    // (Each initialized, so a designated initializer may name only some.)
    std::optional<float> height{}, length{}, rotation{};
    bool homesHeight = false, homesLength = false;

    bool homes() const { return homesHeight || homesLength; }

    // `field` of the record takes `value`.
    void set(float TrackedPosition::*field, float value) {
        if (field == &TrackedPosition::height) height = value;
        if (field == &TrackedPosition::length) length = value;
        if (field == &TrackedPosition::rotation) rotation = value;
    }
    void applyTo(TrackedPosition& record) const {
        if (height) record.set(&TrackedPosition::height, *height);
        if (length) record.set(&TrackedPosition::length, *length);
        if (rotation) record.set(&TrackedPosition::rotation, *rotation);
    }
};

struct Step {
    std::string text{};              // the whole line ("\r\n" included), or a move up to its number
    std::optional<double> target{};  // a move's number, written after `text`
    std::string tail{};              // what follows a move's number
    NumberForm form = NumberForm::Integer;
    Pace pace = Pace::AtOnce;
    RecordEffect effect{};
};

// A line whose text is fixed.
inline Step lineStep(std::string text, RecordEffect effect = {}, Pace pace = Pace::AtOnce) {
    return {std::move(text), std::nullopt, {}, NumberForm::Integer, pace, effect};
}

// A move to `target`: the record takes the target, stored as a single real, in `field` (and
// whatever else `effect` names).
inline Step moveStep(std::string_view head, double target, std::string tail,
                     float TrackedPosition::*field, Pace pace = Pace::AtOnce,
                     NumberForm form = NumberForm::Integer, RecordEffect effect = {}) {
    effect.set(field, StoreReal(target));
    return {std::string(head), target, std::move(tail), form, pace, effect};
}

}  // namespace tarvel
