#include "manual/setup_commands.h"

#include <cmath>
#include <optional>

#include "numtext/reals.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"
#include "winding/parameters.h"

namespace tarvel {
namespace {

struct ZeroRow {
    ControlId button;
    float TrackedPosition::*field;
    const char* head;
};

constexpr ZeroRow kZeroRows[] = {
    {ctl::kLengthZero, &TrackedPosition::length, "G92 Y"},
    {ctl::kHeightZero, &TrackedPosition::height, "G92 Z"},
    {ctl::kRotationZero, &TrackedPosition::rotation, "G92 E"},
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

SetupCommands::SetupCommands(Window& window, LineSender& sender, Connection& connection,
                             ProgramState& state)
    : window_(window), sender_(sender), connection_(connection), state_(state) {}

void SetupCommands::zeroAxis(ControlId button) {
    for (const ZeroRow& row : kZeroRows) {
        if (row.button != button) continue;
        state_.position.*row.field = 0;
        sender_.sendMove(row.head, 0, "\r\n");
    }
}

void SetupCommands::startPosition() {
    connection_.setStartPosition();
    enableWindingControls(window_);
    const double yStart = yStartTarget(readReal(window_, ctl::kCommutatorDistance));
    if (!sendableNumber(yStart)) {
        window_.showMessage(
            "Проверьте поле «РАССТОЯНИЕ ДО КОЛЛЕКТОРА»: с таким значением станок получил бы "
            "недопустимую координату. Двигатели не включены, переезд в начальную позицию не "
            "выполнен.");
        return;
    }
    sender_.sendLine("M17\r\n");
    // The tracked position stays at the zero just declared: this move is not tracked.
    sender_.sendMove("G0 Y", yStart, " Z15 F3000\r\n");
}

void SetupCommands::park() {
    sender_.sendLine("G28 Z Y\r\n");
}

void SetupCommands::changeWorkpiece() {
    sender_.sendLine("G28 Z\r\n");
    sender_.sendLine("M84 Y\r\n");
    state_.position.length = 0;
    sender_.sendLine("G92 Y0\r\n");
}

void SetupCommands::emergencyReset() {
    disableMachineControls(window_);
    // Like any line it waits for its "ok": a controller that stays silent after its emergency
    // stop is let go with СТОП, and the search below then sends nothing.
    sender_.sendLine("M112\r\n");
    disableMachineControls(window_);
    connection_.reconnect();
}

void SetupCommands::nextPosition() {
    if (state_.lastWoundSection == 0 || readInteger(window_, ctl::kRotationBefore) != 0) return;
    float& rotation = state_.position.rotation;
    const std::optional<float> turnTo =
        finishingTurn(rotation, readInteger(window_, ctl::kDirection));
    const bool slotDone = state_.sectionCount == state_.lastWoundSection;

    std::optional<float> stepTo;
    if (slotDone) {
        const float slots = readReal(window_, ctl::kSlotCount);
        const double pitch = 360.0 / static_cast<double>(slots);
        const double step = readInteger(window_, ctl::kLayingOrder) > 0 ? -pitch : pitch;
        stepTo = StoreReal(static_cast<double>(turnTo.value_or(rotation)) + step);
        // Checked before the first line, so a refused step leaves the workpiece as it was.
        if (!std::isfinite(slots) || !sendableNumber(pitch) || !sendableNumber(*stepTo)) {
            window_.showMessage(
                "Проверьте поле «КОЛИЧЕСТВО ПАЗОВ»: с таким значением шаг на следующий паз не "
                "определён. Заготовка не повёрнута, на станок ничего не отправлено.");
            return;
        }
    }
    if (turnTo) {
        rotation = *turnTo;
        sender_.sendMove("G0 E", rotation, kNextMove);
    }
    if (!stepTo) return;
    resetSectionProgress(window_);
    rotation = *stepTo;
    sender_.sendMove("G0 E", rotation, kNextMove);
}

}  // namespace tarvel
