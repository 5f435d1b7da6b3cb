// The winding parameters as the cycles read them: each field's text converted at the moment of
// use, by the reading its quantity has.
#pragma once

#include <cstdint>

#include "winding/winding_form.h"

namespace tarvel {

float readReal(const WindingForm& form, Parameter parameter);
std::int64_t readInteger(const WindingForm& form, Parameter parameter);

// How the work reads a field: as a real, as an integer, or both (the slots: a real in the
// geometry, an integer for the number of sections).
enum class Reading { Real, Integer, Both };
Reading readingOf(Parameter parameter);

// The parameters common to every section, read at the start of a section cycle.
struct CommonParameters {
    float coreHeight = 0;          // H, mm
    float coreDiameter = 0;        // D, mm
    float slots = 0;               // S, as a real
    float slotDepth = 0;           // mm
    float slotWidth = 0;           // mm
    float poles = 0;               // P, span in slot pitches
    float commutatorDistance = 0;  // L, mm
    bool anticlockwise = false;    // direction field: 0 clockwise, anything else anticlockwise
};

CommonParameters readCommonParameters(const WindingForm& form);

// Rotation before and after winding: whole degrees (a fraction is dropped), kept as reals.
float readRotationBefore(const WindingForm& form);
float readRotationAfter(const WindingForm& form);
// Turns of section k (1 to 4): the low 32 bits of the field's integer.
std::int32_t readTurns(const WindingForm& form, int section);
// Trackbars: winding speed and staking power, 1 to 10.
int readWindingSpeed(const WindingForm& form);
int readStakingPower(const WindingForm& form);
std::int64_t readBarCount(const WindingForm& form);

// Start of the Y stroke: 6 - L, to the nearest whole millimetre.
double yStartTarget(float commutatorDistance);

}  // namespace tarvel
