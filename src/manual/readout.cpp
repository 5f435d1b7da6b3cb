#include "manual/readout.h"

#include "numtext/numtext.h"

namespace tarvel {

std::string positionReadout(const TrackedPosition& at) {
    return "Текущее положение:\r\nВысота: " + FormatReal(at.height) +
           "мм\r\nДлина: " + FormatReal(at.length) + "мм\r\nПоворот: " + FormatReal(at.rotation) +
           "°\r\n";
}

}  // namespace tarvel
