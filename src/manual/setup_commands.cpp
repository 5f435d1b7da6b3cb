#include "manual/setup_commands.h"

#include <cmath>
#include <optional>
#include <vector>

#include "numtext/reals.h"
#include "winding/parameters.h"

namespace tarvel {
namespace {

struct ZeroRow {
    float TrackedPosition::*field;
    const char* head;
};

// In the order of ZeroAxis.
constexpr ZeroRow kZeroRows[] = {
    {&TrackedPosition::length, "G92 Y"},
    {&TrackedPosition::height, "G92 Z"},
    {&TrackedPosition::rotation, "G92 E"},
};

// "ДАЛЕЕ" first brings a turned workpiece to a full turn in the winding direction (0 clockwise,
// 1 anticlockwise); any other direction leaves it where it is.
struct FinishingTurn {
    bool forward;  // the rotation is above 0 (else below)
    std::int64_t direction;
    float to;
};

constexpr FinishingTurn kFinishingTurns[] = {
    {true, 0, 360.0f}, {true, 1, 0.0f}, {false, 1, -360.0f}, {false, 0, 0.0f}};

std::optional<float> finishingTurn(float rotation, std::int64_t direction) {
    if (rotation == 0.0f || std::isnan(rotation)) return std::nullopt;
    for (const FinishingTurn& t : kFinishingTurns)
        if (t.forward == (rotation > 0.0f) && t.direction == direction) return t.to;
    return std::nullopt;
}

constexpr const char* kNextMove = " F15000\r\n";

}  // namespace

SetupCommands::SetupCommands(const WindingForm& form, ManualView& view, StepRunner& steps,
                             Connection& connection, const SectionLayout& layout)
    : form_(form), view_(view), steps_(steps), connection_(connection), layout_(layout) {}

void SetupCommands::zeroAxis(ZeroAxis axis) {
    const ZeroRow& row = kZeroRows[static_cast<int>(axis)];
    steps_.run(moveStep(row.head, 0, "\r\n", row.field));
}

void SetupCommands::startPosition() {
    connection_.setStartPosition();
    view_.enableWindingControls();
    const double yStart = yStartTarget(readReal(form_, Parameter::CommutatorDistance));
    if (!sendableNumber(yStart)) {
        view_.tell(
            "Проверьте поле «РАССТОЯНИЕ ДО КОЛЛЕКТОРА»: с таким значением станок получил бы "
            "недопустимую координату. Двигатели не включены, переезд в начальную позицию не "
            "выполнен.");
        return;
    }
    // The start of the stroke at height 15, from the zero just declared: the Y start value is
    // a whole number, as the section cycles take it.
    const Step steps[] = {
        lineStep("M17\r\n"),
        moveStep("G0 Y", RoundToInt32(yStart), " Z15 F3000\r\n", &TrackedPosition::length,
                 Pace::AtOnce, NumberForm::Integer, {.height = 15})};
    steps_.run(steps);
}

void SetupCommands::park() {
    // The switches are not the work's zero: no cycle until the start position is declared again.
    view_.disableWindingControls();
    steps_.run(lineStep("G28 Z Y\r\n", {.homesHeight = true, .homesLength = true}));
}

void SetupCommands::changeWorkpiece() {
    view_.disableWindingControls();
    const Step steps[] = {lineStep("G28 Z\r\n", {.homesHeight = true}), lineStep("M84 Y\r\n"),
                          lineStep("G92 Y0\r\n", {.length = 0})};
    steps_.run(steps);
}

void SetupCommands::emergencyReset() {
    view_.disableMachineControls();
    // Like any line it waits for its "ok": a controller that stays silent after its emergency
    // stop is let go with СТОП, and the search below then sends nothing.
    steps_.run(lineStep("M112\r\n"));
    view_.disableMachineControls();
    connection_.reconnect();
}

void SetupCommands::nextPosition() {
    if (layout_.lastWoundSection == 0 || readInteger(form_, Parameter::RotationBefore) != 0) return;
    const float rotation = steps_.record().rotation;
    const std::optional<float> turnTo =
        finishingTurn(rotation, readInteger(form_, Parameter::Direction));
    const bool slotDone = layout_.sectionCount == layout_.lastWoundSection;

    std::optional<float> stepTo;
    if (slotDone) {
        const float slots = readReal(form_, Parameter::SlotCount);
        const double pitch = 360.0 / static_cast<double>(slots);
        const double step = readInteger(form_, Parameter::LayingOrder) > 0 ? -pitch : pitch;
        stepTo = StoreReal(static_cast<double>(turnTo.value_or(rotation)) + step);
        // Checked before the first line, so a refused step leaves the workpiece as it was.
        if (!std::isfinite(slots) || !sendableNumber(pitch) || !sendableNumber(*stepTo)) {
            view_.tell(
                "Проверьте поле «КОЛИЧЕСТВО ПАЗОВ»: с таким значением шаг на следующий паз не "
                "определён. Заготовка не повёрнута, на станок ничего не отправлено.");
            return;
        }
    }
    std::vector<Step> steps;
    if (turnTo) steps.push_back(moveStep("G0 E", *turnTo, kNextMove, &TrackedPosition::rotation));
    if (stepTo) {
        view_.resetSectionProgress();
        steps.push_back(moveStep("G0 E", *stepTo, kNextMove, &TrackedPosition::rotation));
    }
    steps_.run(steps);
}

}  // namespace tarvel
