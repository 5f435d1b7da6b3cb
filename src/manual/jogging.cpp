#include "manual/jogging.h"

#include <algorithm>

#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

constexpr JogAxis kHeight{&TrackedPosition::height, "G0 Z", "F1500\r\n"};
constexpr JogAxis kLength{&TrackedPosition::length, "G0 Y", "F1500\r\n"};
constexpr JogAxis kRotation{&TrackedPosition::rotation, "G0 E", "F15000\r\n"};

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

void Jogging::jog(const JogRow& row) {
    float& field = state_.position.*(row.axis->field);
    field = StoreReal(static_cast<double>(field) + static_cast<double>(row.step));
    sender_.sendMove(row.axis->head, field, row.axis->feed);
}

void Jogging::rotate(const RotationRow& row) {
    resetSectionProgress(window_);
    float& rotation = state_.position.rotation;
    rotation = row.slots == 0 ? row.angle
                              : StoreReal(static_cast<double>(rotation) +
                                          row.slots * static_cast<double>(state_.slotPitch));
    sender_.sendMove(kRotation.head, rotation, kRotation.feed);
}

}  // namespace tarvel
