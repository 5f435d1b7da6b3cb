#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvel {

struct SectionCount {
    float slotPitch;            // degrees between two slots
    std::int32_t sectionCount;  // sections per slot, 1 to 4
};

// How many sections each slot gets: the number of commutator bars over the number of slots,
// rounded up and held within 1 to 4. Nothing (the caller keeps what it had) when the slot
// field does not hold a number of slots above 0.
std::optional<SectionCount> sectionCountRule(std::string_view slotsText, std::string_view barsText);

}  // namespace tarvel
