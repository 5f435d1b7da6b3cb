#include "winding/parameters.h"

#include "numtext/reals.h"
#include "ui/control_table.h"

namespace tarvel {

float readReal(const Window& window, ControlId id) {
    return ParseReal(window.text(id));
}

std::int64_t readInteger(const Window& window, ControlId id) {
    return ParseInteger(window.text(id));
}

CommonParameters readCommonParameters(const Window& window) {
    CommonParameters p;
    p.coreHeight = readReal(window, ctl::kCoreHeight);
    p.commutatorDistance = readReal(window, ctl::kCommutatorDistance);
    p.coreDiameter = readReal(window, ctl::kCoreDiameter);
    p.slots = readReal(window, ctl::kSlotCount);
    p.slotDepth = readReal(window, ctl::kSlotDepth);
    p.slotWidth = readReal(window, ctl::kSlotWidth);
    p.poles = readReal(window, ctl::kPoles);
    p.anticlockwise = readInteger(window, ctl::kDirection) != 0;
    return p;
}

float readRotationBefore(const Window& window) {
    return StoreReal(static_cast<double>(readInteger(window, ctl::kRotationBefore)));
}

float readRotationAfter(const Window& window) {
    return StoreReal(static_cast<double>(readInteger(window, ctl::kRotationAfter)));
}

std::int32_t readTurns(const Window& window, int section) {
    return LowBits32(readInteger(window, 21 + 2 * section));
}

int readWindingSpeed(const Window& window) {
    return window.state(ctl::kWindingSpeed);
}

int readStakingPower(const Window& window) {
    return window.state(ctl::kStakingPower);
}

std::int64_t readBarCount(const Window& window) {
    return readInteger(window, ctl::kBarCount);
}

double yStartTarget(float commutatorDistance) {
    return 6.0 - static_cast<double>(commutatorDistance);
}

}  // namespace tarvel
