// The winding parameters as the cycles read them: each field's text converted at the moment of
// use, by the reading its quantity has.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace tarvel {

float readReal(const Window& window, ControlId id);
std::int64_t readInteger(const Window& window, ControlId id);

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

CommonParameters readCommonParameters(const Window& window);

// Rotation before and after winding: whole degrees (a fraction is dropped), kept as reals.
float readRotationBefore(const Window& window);
float readRotationAfter(const Window& window);
// Turns of section k (1 to 4): the low 32 bits of the field's integer.
std::int32_t readTurns(const Window& window, int section);
// Trackbars: winding speed and staking power, 1 to 10.
int readWindingSpeed(const Window& window);
int readStakingPower(const Window& window);
std::int64_t readBarCount(const Window& window);

// Start of the Y stroke: 6 - L, to the nearest whole millimetre.
double yStartTarget(float commutatorDistance);

}  // namespace tarvel
