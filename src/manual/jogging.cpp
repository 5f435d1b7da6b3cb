#include "manual/jogging.h"

#include <algorithm>

#include "ui/control_groups.h"
#include "ui/control_table.h"

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
constexpr JogRow kKeyJogs[] = {
    {37, &kRotation, -0.5f}, {38, &kLength, 1.0f},  {39, &kRotation, 0.5f},
    {40, &kLength, -1.0f},   {107, &kHeight, 1.0f}, {109, &kHeight, -1.0f},
};

// The "-" button goes down by 2 only, so the guide is lowered into a slot with care.
constexpr JogRow kButtonJogs[] = {
    {ctl::kJogHeightUp, &kHeight, 10.0f},        {ctl::kJogHeightDown, &kHeight, -2.0f},
    {ctl::kJogLengthUp, &kLength, 5.0f},         {ctl::kJogLengthDown, &kLength, -5.0f},
    {ctl::kJogRotationDown, &kRotation, -10.0f}, {ctl::kJogRotationUp, &kRotation, 10.0f},
};

constexpr RotationRow kRotationButtons[] = {
    {99, -360.0f, 0}, {98, -180.0f, 0}, {97, 0.0f, 0},  {100, 180.0f, 0},
    {101, 360.0f, 0}, {103, 0.0f, -1},  {102, 0.0f, 1},
};

}  // namespace

std::span<const JogRow> keyJogs() {
    return kKeyJogs;
}

std::span<const JogRow> buttonJogs() {
    return kButtonJogs;
}

std::span<const RotationRow> rotationButtons() {
    return kRotationButtons;
}

const JogRow* findJog(std::span<const JogRow> rows, int input) {
    const auto it = std::find_if(rows.begin(), rows.end(),
                                 [input](const JogRow& row) { return row.input == input; });
    return it == rows.end() ? nullptr : &*it;
}

const RotationRow* findRotation(ControlId id) {
    const auto it = std::find_if(std::begin(kRotationButtons), std::end(kRotationButtons),
                                 [id](const RotationRow& row) { return row.control == id; });
    return it == std::end(kRotationButtons) ? nullptr : &*it;
}

Jogging::Jogging(Window& window, LineSender& sender, ProgramState& state)
    : window_(window), sender_(sender), state_(state) {}

double Jogging::jog(const JogRow& row) {
    float& field = state_.position.*(row.axis->field);
    const float from = field;
    field = StoreReal(static_cast<double>(field) + static_cast<double>(row.step));
    const bool connected = sender_.sending();
    if (!sender_.sendMove(row.axis->head, field, feedTail(*row.axis)) || !connected) return 0;
    // The machine moves by what the lines say: whole numbers, so half a degree is 0 or 1.
    motion::Axes distance;
    distance[row.axis->axis] = sendableNumber(from)
                                   ? static_cast<double>(RoundToInt64(field) - RoundToInt64(from))
                                   : static_cast<double>(row.step);
    return motion::moveSeconds(distance, row.axis->feed, state_.controllerAccelerationY);
}

void Jogging::rotate(const RotationRow& row) {
    resetSectionProgress(window_);
    float& rotation = state_.position.rotation;
    rotation = row.slots == 0 ? row.angle
                              : StoreReal(static_cast<double>(rotation) +
                                          row.slots * static_cast<double>(state_.slotPitch));
    sender_.sendMove(kRotation.head, rotation, feedTail(kRotation));
}

}  // namespace tarvel
