#include "manual/jogging.h"

#include <algorithm>

#include "numtext/reals.h"
#include "platform/keys.h"
#include "platform/window.h"

namespace tarvel {
namespace {

constexpr JogAxis kHeight{&TrackedPosition::height, "G0 Z", 1500};
constexpr JogAxis kLength{&TrackedPosition::length, "G0 Y", 1500};
constexpr JogAxis kRotation{&TrackedPosition::rotation, "G0 E", 15000};

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

Jogging::Jogging(StepRunner& steps, const SectionLayout& layout, ManualView& view)
    : steps_(steps), layout_(layout), view_(view) {}

void Jogging::jog(const Jog& jog) {
    if (!knowsTheAxis(jog.axis->field)) return;
    const float from = steps_.record().*(jog.axis->field);
    const float to = StoreReal(static_cast<double>(from) + static_cast<double>(jog.step));
    steps_.run(moveStep(jog.axis->head, to, feedTail(*jog.axis), jog.axis->field));
}

bool Jogging::knowsTheAxis(float TrackedPosition::*field) {
    if (steps_.record().knows(field)) return true;
    const char* axis = field == &TrackedPosition::height   ? "высоты"
                       : field == &TrackedPosition::length ? "длины"
                                                           : "поворота";
    view_.tell(std::string("Программа не знает, где стоит ось ") + axis +
               " (контроллер не сообщил этого после парковки или остановился с ошибкой), и не "
               "двигает её на шаг. Выведите станок в исходную точку и нажмите «УСТАНОВИТЬ "
               "НАЧАЛЬНУЮ ПОЗИЦИЮ» (после ошибки контроллера сначала «Обновить»).");
    return false;
}

void Jogging::rotate(const Rotation& turn) {
    if (turn.slots != 0 && !knowsTheAxis(kRotation.field)) return;
    view_.resetSectionProgress();
    const float from = steps_.record().rotation;
    const float to = turn.slots == 0
                         ? turn.angle
                         : StoreReal(static_cast<double>(from) +
                                     turn.slots * static_cast<double>(layout_.slotPitch));
    steps_.run(moveStep(kRotation.head, to, feedTail(kRotation), kRotation.field));
}

}  // namespace tarvel
