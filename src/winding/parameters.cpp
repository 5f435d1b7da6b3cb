#include "winding/parameters.h"

#include "numtext/reals.h"

namespace tarvel {

float readReal(const WindingForm& form, Parameter parameter) {
    return ParseReal(form.text(parameter));
}

std::int64_t readInteger(const WindingForm& form, Parameter parameter) {
    return ParseInteger(form.text(parameter));
}

Reading readingOf(Parameter parameter) {
    switch (parameter) {
        case Parameter::SlotCount:
            return Reading::Both;
        case Parameter::BarCount:
        case Parameter::Direction:
        case Parameter::LayingOrder:
        case Parameter::RotationBefore:
        case Parameter::RotationAfter:
            return Reading::Integer;
        default:
            return Reading::Real;
    }
}

CommonParameters readCommonParameters(const WindingForm& form) {
    CommonParameters p;
    p.coreHeight = readReal(form, Parameter::CoreHeight);
    p.commutatorDistance = readReal(form, Parameter::CommutatorDistance);
    p.coreDiameter = readReal(form, Parameter::CoreDiameter);
    p.slots = readReal(form, Parameter::SlotCount);
    p.slotDepth = readReal(form, Parameter::SlotDepth);
    p.slotWidth = readReal(form, Parameter::SlotWidth);
    p.poles = readReal(form, Parameter::Poles);
    p.anticlockwise = readInteger(form, Parameter::Direction) != 0;
    return p;
}

float readRotationBefore(const WindingForm& form) {
    return StoreReal(static_cast<double>(readInteger(form, Parameter::RotationBefore)));
}

float readRotationAfter(const WindingForm& form) {
    return StoreReal(static_cast<double>(readInteger(form, Parameter::RotationAfter)));
}

std::int32_t readTurns(const WindingForm& form, int section) {
    return LowBits32(ParseInteger(form.sectionTurns(section)));
}

int readWindingSpeed(const WindingForm& form) {
    return form.windingSpeed();
}

int readStakingPower(const WindingForm& form) {
    return form.stakingPower();
}

std::int64_t readBarCount(const WindingForm& form) {
    return readInteger(form, Parameter::BarCount);
}

double yStartTarget(float commutatorDistance) {
    return 6.0 - static_cast<double>(commutatorDistance);
}

}  // namespace tarvel
