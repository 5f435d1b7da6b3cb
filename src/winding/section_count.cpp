#include "winding/section_count.h"

#include "numtext/reals.h"

namespace tarvel {

std::optional<SectionCount> sectionCountRule(std::string_view slotsText,
                                             std::string_view barsText) {
    const std::int64_t slots = ParseInteger(slotsText);
    if (slots <= 0) return std::nullopt;
    const float slotsReal = StoreReal(static_cast<double>(slots));
    const float pitch = StoreReal(360.0 / static_cast<double>(slotsReal));

    const std::int64_t bars = ParseInteger(barsText);
    std::int32_t count = LowBits32(DivideTruncating(bars, slots));
    const float remainder = SingleFmod(StoreReal(static_cast<double>(bars)), slotsReal);
    if (RoundToInt32(remainder) > 0) count = LowBits32(static_cast<std::int64_t>(count) + 1);
    if (count > 4) count = 4;
    if (count < 1) count = 1;
    return SectionCount{pitch, count};
}

}  // namespace tarvel
