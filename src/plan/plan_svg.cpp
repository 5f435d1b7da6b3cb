#include "plan/plan_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "numtext/numtext.h"
#include "plan/plan_report.h"

namespace tarvel::plan {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWidth = 1000, kHeight = 600;
// The end view: the core, the coils' end turns outside it, the slot numbers outside those.
constexpr double kEndX = 250, kEndY = 262, kCoreRadius = 150, kCoilStep = 10;
constexpr double kLegendY = 498, kRow = 18;
// The side view: the drawing, a column of height labels to its right, dimension rows below.
constexpr double kSideLeft = 530, kSideRight = 850, kSideTop = 70, kSideBottom = 360;
constexpr double kLabelColumn = 858, kDimensionRow = 392, kDimensionStep = 30;
constexpr double kTextHeight = 14;
constexpr std::int64_t kMostSlotsDrawn = 360;
const char* const kSectionColours[4] = {"#2565a5", "#a56525", "#25a565", "#8a25a5"};

std::string fixed(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::isfinite(v) ? v : 0.0);
    return text;
}

std::string text(double x, double y, const std::string& words, const char* anchor = "start",
                 const char* style = "") {
    return "<text x=\"" + fixed(x) + "\" y=\"" + fixed(y) + "\" text-anchor=\"" + anchor + "\"" +
           (*style ? std::string(" class=\"") + style + "\"" : "") + ">" + words + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const char* style,
                 const char* colour = nullptr) {
    return "<line x1=\"" + fixed(x1) + "\" y1=\"" + fixed(y1) + "\" x2=\"" + fixed(x2) +
           "\" y2=\"" + fixed(y2) + "\" class=\"" + style + "\"" +
           (colour ? std::string(" stroke=\"") + colour + "\"" : "") + "/>\n";
}

// A point of the end view at an angle of the workpiece (0 at the top, counter-clockwise as
// seen) and a radius.
std::pair<double, double> at(double degrees, double radius) {
    const double a = degrees * kPi / 180;
    return {kEndX - radius * std::sin(a), kEndY - radius * std::cos(a)};
}

double finite(double v) {
    return std::isfinite(v) ? v : 0;
}

// Where the slots stand on the workpiece. The workpiece turns under the guide, which stays at the
// top: at rotation E the guide is over the workpiece's angle -E. ДАЛЕЕ turns it on by a pitch,
// so slot k, the k-th wound, is at -(k - 1) pitches (+ with laying order 1).
struct SlotPlaces {
    double pitch = 0;  // degrees
    int direction = 1;
    std::int64_t count = 0;

    double angleOf(std::int64_t slot) const {
        return -static_cast<double>(slot - 1) * pitch * direction;
    }
    // The number of the slot nearest to a workpiece angle.
    std::int64_t slotAt(double degrees) const {
        const auto steps = static_cast<std::int64_t>(std::llround(-degrees / (pitch * direction)));
        return ((steps % count) + count) % count + 1;
    }
};

// The two slots of a coil, as the cycle's angles give them: it dips at the start angle beside
// slot 1 and comes down again past the throw, half a slot's angle beyond the other slot.
std::pair<double, double> coilSlotAngles(const SectionGeometry& g) {
    const double start = -finite(g.eStart), end = -finite(g.eThrow);
    const double half = std::abs(finite(g.slotHalfAngle));
    return {start - std::copysign(half, start), end - std::copysign(half, end)};
}

std::string coilPath(double from, double to, double slotRadius, double overhang) {
    const auto [x0, y0] = at(from, slotRadius);
    std::string path = "M";
    path += fixed(x0) + " " + fixed(y0);
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const auto [x, y] = at(from + (to - from) * i / steps, overhang);
        path += " L" + fixed(x) + " " + fixed(y);
    }
    const auto [x1, y1] = at(to, slotRadius);
    return path + " L" + fixed(x1) + " " + fixed(y1);
}

std::string slotsAndCommutator(const Plan& p, const SlotPlaces& slots, double slotDepthPx) {
    std::string out;
    if (slots.count > 0 && slots.count <= kMostSlotsDrawn) {
        for (std::int64_t k = 1; k <= slots.count; ++k) {
            const auto [x1, y1] = at(slots.angleOf(k), kCoreRadius);
            const auto [x2, y2] = at(slots.angleOf(k), kCoreRadius - slotDepthPx);
            out += line(x1, y1, x2, y2, k == 1 ? "slot first" : "slot");
        }
    }
    // The commutator seen through the core, its first bar under the staking punch at the start.
    const double ring = std::min(kCoreRadius * 0.45, (kCoreRadius - slotDepthPx) * 0.8);
    out += "<circle cx=\"" + fixed(kEndX) + "\" cy=\"" + fixed(kEndY) + "\" r=\"" + fixed(ring) +
           "\" class=\"commutator-ring\"/>\n";
    if (p.bars > 0 && p.bars <= kMostSlotsDrawn) {
        for (std::int64_t i = 0; i < p.bars; ++i) {
            const double angle = -360.0 * static_cast<double>(i) / static_cast<double>(p.bars);
            const auto [x1, y1] = at(angle, ring);
            const auto [x2, y2] = at(angle, ring * 0.72);
            out += line(x1, y1, x2, y2, i == 0 ? "bar first" : "bar");
        }
        out += text(kEndX, kEndY - ring * 0.5 + 4, "1", "middle", "first-label");
    }
    return out;
}

// Slot numbers outside the coils: the first, the second (the way ДАЛЕЕ goes) and the coil's
// other slot, each only where it does not crowd one already written.
std::string slotNumbers(const SlotPlaces& slots, const std::vector<std::int64_t>& numbers,
                        double radius) {
    std::string out;
    std::vector<std::pair<double, double>> placed;
    for (std::int64_t n : numbers) {
        const std::pair<double, double> point = at(slots.angleOf(n), radius);
        const double x = point.first, y = point.second + 5;  // the text's middle on the circle
        const bool crowded = std::any_of(placed.begin(), placed.end(), [&](const auto& q) {
            return std::abs(q.first - x) < 30 && std::abs(q.second - y) < kTextHeight + 2;
        });
        if (crowded) continue;
        placed.emplace_back(x, y);
        out += text(x, y, FormatInteger(n), "middle");
    }
    return out;
}

std::string endView(const Plan& p) {
    std::string out = text(kEndX, 24, "Магнитопровод с торца", "middle", "title");
    out += "<circle cx=\"" + fixed(kEndX) + "\" cy=\"" + fixed(kEndY) + "\" r=\"" +
           fixed(kCoreRadius) + "\" class=\"core\"/>\n";
    const double d = p.parameters.coreDiameter, depth = p.parameters.slotDepth;
    const double slotDepthPx =
        kCoreRadius * (d > 0 && std::isfinite(depth) ? std::clamp(depth / d * 2, 0.0, 0.6) : 0);
    const SlotPlaces places{finite(p.slotPitch), p.layingOrder > 0 ? -1 : 1, p.slots};
    out += slotsAndCommutator(p, places, slotDepthPx);

    const auto [from, to] = coilSlotAngles(p.geometry);
    const double inSlot = kCoreRadius - slotDepthPx / 2;
    const int sections = std::clamp(p.sectionCount, 0, 4);
    std::vector<std::int64_t> numbers = {1, 2};
    const bool drawable = places.count > 0 && places.pitch > 0 && places.count <= kMostSlotsDrawn;
    const std::int64_t other = drawable ? places.slotAt(to) : 0;
    if (drawable) numbers.push_back(other);
    for (int k = 1; k <= sections; ++k) {
        out += "<path d=\"" + coilPath(from, to, inSlot, kCoreRadius + kCoilStep * k) +
               "\" class=\"coil\" stroke=\"" + kSectionColours[k - 1] + "\"/>\n";
    }
    if (drawable) out += slotNumbers(places, numbers, kCoreRadius + kCoilStep * sections + 18);

    // The legend, where no line is.
    double y = kLegendY;
    for (int k = 1; k <= sections; ++k, y += kRow) {
        out += line(40, y - 5, 64, y - 5, "swatch", kSectionColours[k - 1]);
        out += text(72, y,
                    "С" + FormatInteger(k) + ": " + FormatInteger(p.turns[k - 1]) + " витков" +
                        (drawable ? ", пазы 1 и " + FormatInteger(other) : std::string()));
    }
    out += text(40, y,
                "Поворот витка от " + shortNumber(p.geometry.eStart) + "° до " +
                    shortNumber(p.geometry.eThrow) + "°; пазы по порядку ДАЛЕЕ");
    out += text(40, y + kRow,
                "Коллектор: ламелей " + FormatInteger(p.bars) + ", ламель 1 под бойком в начале");
    return out;
}

// Labels of the column beside the drawing, at the heights they name, moved apart where two
// heights lie closer than a line of text.
std::string heightLabels(std::vector<std::pair<double, std::string>> labels) {
    std::sort(labels.begin(), labels.end());
    std::string out;
    double lowest = -1e9;
    for (auto& [y, words] : labels) {
        const double at = std::max(y + 5, lowest + kTextHeight + 2);
        out += text(kLabelColumn, at, words);
        lowest = at;
    }
    return out;
}

// A dimension from x1 to x2 on a row of its own below the drawing, its words above its line and
// kept on the canvas.
std::string dimension(double x1, double x2, int row, const std::string& words) {
    const double y = kDimensionRow + kDimensionStep * row;
    std::string out = line(x1, y, x2, y, "dimension");
    out += line(x1, y - 4, x1, y + 4, "dimension") + line(x2, y - 4, x2, y + 4, "dimension");
    const double middle = (x1 + x2) / 2, half = 3.8 * static_cast<double>(words.size()) / 2;
    const double x = std::clamp(middle, kSideLeft + half, kWidth - 8 - half);
    return out + text(x, y - 6, words, "middle");
}

std::string sideView(const Plan& p) {
    const double h = finite(p.parameters.coreHeight), l = finite(p.parameters.commutatorDistance);
    const SectionGeometry& g = p.geometry;
    const double depth = std::isfinite(p.parameters.slotDepth) ? p.parameters.slotDepth : 0;
    const double dip = finite(g.dipDepth);
    const double left = std::min({-l, static_cast<double>(g.yStart), 0.0}) - 5;
    const double right = std::max({h, static_cast<double>(g.yEnd), 0.0}) + 5;
    const double low = -std::max(depth, -dip) - 5, high = 20;
    const double sx = (kSideRight - kSideLeft) / std::max(right - left, 1.0);
    const double sy = (kSideBottom - kSideTop) / (high - low);
    auto X = [&](double y) { return kSideLeft + (y - left) * sx; };
    auto Y = [&](double z) { return kSideTop + (high - z) * sy; };

    std::string out = text((kSideLeft + kWidth) / 2, 24, "Ход сбоку (Y по длине, Z по высоте)",
                           "middle", "title");
    out += "<rect x=\"" + fixed(X(0)) + "\" y=\"" + fixed(Y(0)) + "\" width=\"" +
           fixed(std::max(h, 0.0) * sx) + "\" height=\"" + fixed(std::max(depth, 0.0) * sy) +
           "\" class=\"core\"/>\n";
    out += line(X(-l), Y(high), X(-l), Y(low), "commutator");
    out += text(std::clamp(X(-l), kSideLeft + 40, kSideRight - 40), kSideTop - 14, "коллектор",
                "middle");
    out += line(X(left), Y(0), X(right), Y(0), "travel");
    out += line(X(g.yStart), Y(dip), X(g.yEnd), Y(dip), "dip");
    out += line(X(g.yStart), Y(15), X(g.yStart), Y(dip), "stroke");
    out += line(X(g.yEnd), Y(15), X(g.yEnd), Y(dip), "stroke");
    out += heightLabels({{Y(15), "Z 15: подъём"},
                         {Y(0), "Z 0: над пазом"},
                         {Y(dip), "заглубление " + shortNumber(dip) + " мм"},
                         {Y(-depth), "дно паза " + shortNumber(-depth) + " мм"}});
    out += dimension(X(-l), X(0), 0, "до коллектора L " + shortNumber(l) + " мм");
    out += dimension(X(0), X(h), 1, "магнитопровод H " + shortNumber(h) + " мм");
    out +=
        dimension(X(g.yStart), X(g.yEnd), 2,
                  "ход Y от " + FormatInteger(g.yStart) + " до " + FormatInteger(g.yEnd) + " мм");
    return out;
}

}  // namespace

std::string planSvg(const Plan& plan) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed(kWidth) + "\" height=\"" +
           fixed(kHeight) +
           "\" viewBox=\"0 0 1000 600\" font-family=\"sans-serif\" "
           "font-size=\"13\">\n"
           "<style>.core{fill:#c6e0b4;stroke:#404040}.slot{stroke:#404040;stroke-width:3}"
           ".first{stroke:#a50725}.coil{fill:none;stroke-width:2.5}.swatch{stroke-width:4}"
           ".travel{stroke:#808080;stroke-dasharray:4 3}.dip{stroke:#a50725;stroke-width:2}"
           ".stroke{stroke:#25a507;stroke-width:2}.commutator{stroke:#d08000;stroke-width:4}"
           ".commutator-ring{fill:#f3d9b0;stroke:#d08000}.bar{stroke:#d08000;stroke-width:2}"
           ".bar.first{stroke:#a50725;stroke-width:3}.first-label{fill:#a50725;font-weight:bold}"
           ".dimension{stroke:#404040}.title{font-weight:bold}</style>\n"
           "<rect width=\"1000\" height=\"600\" fill=\"#ffffff\"/>\n" +
           endView(plan) + sideView(plan) + "</svg>\n";
}

}  // namespace tarvel::plan
