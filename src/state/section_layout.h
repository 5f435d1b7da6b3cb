// How the sections of a slot stand: the layout the fields give (recomputed before every control
// event) and the section wound last, which ДАЛЕЕ reads.
#pragma once

#include <cstdint>

namespace tarvel {

struct SectionLayout {
    float slotPitch = 0;                // degrees, 360 / number of slots
    std::int32_t sectionCount = 0;      // 1 to 4 once computed
    std::int32_t lastWoundSection = 0;  // 0 while a section cycle runs or before any
};

}  // namespace tarvel
