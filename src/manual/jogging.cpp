#include "manual/jogging.h"

#include <algorithm>

#include "numtext/reals.h"
#include "platform/keys.h"
#include "platform/window.h"

namespace tarvel {
namespace {

constexpr JogAxis kHeight{&TrackedPosition::height, motion::Axis::Z, "G0 Z", 1500};
constexpr JogAxis kLength{&TrackedPosition::length, motion::Axis::Y, "G0 Y", 1500};
constexpr JogAxis kRotation{&TrackedPosition::rotation, motion::Axis::E, "G0 E", 15000};

std::string feedTail(const JogAxis& axis) {
    std::string tail = FormatInteger(axis.feed);
    tail.insert(0, 1, 'F');
    return tail += "\r\n";
}

// Arrow keys and the keypad's + and -; the + and - of the main keyboard do not jog.
constexpr KeyJog kKeyJogs[] = {
    {key::kLeft, {&kRotation, -0.5f}},    {key::kUp, {&kLength, 1.0f}},
    {key::kRight, {&kRotation, 0.5f}},    {key::kDown, {&kLength, -1.0f}},
    {key::kNumpadPlus, {&kHeight, 1.0f}}, {key::kNumpadMinus, {&kHeight, -1.0f}},
};

// In the order of JogButton. The "-" button goes down by 2 only, so the guide is lowered into a
// slot with care.
constexpr Jog kButtonJogs[] = {
    {&kHeight, 10.0f}, {&kHeight, -2.0f},    {&kLength, 5.0f},
    {&kLength, -5.0f}, {&kRotation, -10.0f}, {&kRotation, 10.0f},
};

// In the order of RotationButton.
constexpr Rotation kRotations[] = {
    {0.0f, 0}, {-180.0f, 0}, {-360.0f, 0}, {180.0f, 0}, {360.0f, 0}, {0.0f, 1}, {0.0f, -1},
};

}  // namespace

const Jog& buttonJog(JogButton button) {
    return kButtonJogs[static_cast<int>(button)];
}

std::span<const KeyJog> keyJogs() {
    return kKeyJogs;
}

const Jog* keyJog(int key) {
    const auto it = std::find_if(std::begin(kKeyJogs), std::end(kKeyJogs),
                                 [key](const KeyJog& row) { return row.key == key; });
    return it == std::end(kKeyJogs) ? nullptr : &it->jog;
}

const Rotation& rotation(RotationButton button) {
    return kRotations[static_cast<int>(button)];
}

Jogging::Jogging(StepRunner& steps, const SectionLayout& layout, const LinkState& link,
                 ManualView& view)
    : steps_(steps), layout_(layout), link_(link), view_(view) {}

double Jogging::jog(const Jog& jog) {
    const float from = steps_.record().*(jog.axis->field);
    const float to = StoreReal(static_cast<double>(from) + static_cast<double>(jog.step));
    const Step move = moveStep(jog.axis->head, to, feedTail(*jog.axis), jog.axis->field);
    if (steps_.run(move) != LineResult::Sent) return 0;
    // The machine moves by what the lines say: whole numbers, so half a degree is 0 or 1.
    motion::Axes distance;
    distance[jog.axis->axis] = sendableNumber(from)
                                   ? static_cast<double>(RoundToInt64(to) - RoundToInt64(from))
                                   : static_cast<double>(jog.step);
    return motion::moveSeconds(distance, jog.axis->feed, link_.machine.accelerationY());
}

void Jogging::rotate(const Rotation& turn) {
    view_.resetSectionProgress();
    const float from = steps_.record().rotation;
    const float to = turn.slots == 0
                         ? turn.angle
                         : StoreReal(static_cast<double>(from) +
                                     turn.slots * static_cast<double>(layout_.slotPitch));
    steps_.run(moveStep(kRotation.head, to, feedTail(kRotation), kRotation.field));
}

}  // namespace tarvel
