#include "manual/readout.h"

#include "numtext/numtext.h"

namespace tarvel {
namespace {

// The value and its unit, or what stands for an axis the program does not know the place of.
std::string shown(const TrackedPosition& at, float TrackedPosition::*field, const char* unit,
                  const char* unknown) {
    return at.knows(field) ? FormatReal(at.*field) + unit : unknown;
}

}  // namespace

std::string positionReadout(const TrackedPosition& at) {
    return "Текущее положение:\r\nВысота: " +
           shown(at, &TrackedPosition::height, "мм", "не известна") +
           "\r\nДлина: " + shown(at, &TrackedPosition::length, "мм", "не известна") +
           "\r\nПоворот: " + shown(at, &TrackedPosition::rotation, "°", "не известен") + "\r\n";
}

}  // namespace tarvel
