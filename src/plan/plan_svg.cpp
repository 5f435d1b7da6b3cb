#include "plan/plan_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarvel::plan {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCoreRadius = 150;  // px, the core's outline in the end view
constexpr double kEndCentreX = 220, kEndCentreY = 230;
constexpr double kSideLeft = 470, kSideWidth = 480, kSideTop = 60, kSideHeight = 340;
constexpr std::int64_t kMostSlotsDrawn = 360;

std::string fixed(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::isfinite(v) ? v : 0.0);
    return text;
}

std::string label(double x, double y, const std::string& text, const char* anchor = "start") {
    return "<text x=\"" + fixed(x) + "\" y=\"" + fixed(y) + "\" text-anchor=\"" + anchor + "\">" +
           text + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const char* style) {
    return "<line x1=\"" + fixed(x1) + "\" y1=\"" + fixed(y1) + "\" x2=\"" + fixed(x2) +
           "\" y2=\"" + fixed(y2) + "\" class=\"" + style + "\"/>\n";
}

// A point of the end view at an angle of the workpiece (0 at the top, positive E turning
// counter-clockwise as seen) and a radius.
std::pair<double, double> at(double degrees, double radius) {
    const double a = degrees * kPi / 180;
    return {kEndCentreX - radius * std::sin(a), kEndCentreY - radius * std::cos(a)};
}

std::string endView(const Plan& p) {
    std::string out = label(kEndCentreX, 30, "Магнитопровод с торца", "middle");
    out += "<circle cx=\"" + fixed(kEndCentreX) + "\" cy=\"" + fixed(kEndCentreY) + "\" r=\"" +
           fixed(kCoreRadius) + "\" class=\"core\"/>\n";
    const double d = p.parameters.coreDiameter, depth = p.parameters.slotDepth;
    const double slotPx = d > 0 && std::isfinite(depth) ? std::clamp(depth / d * 2, 0.0, 1.0) : 0;
    if (p.slots > 0 && p.slots <= kMostSlotsDrawn) {
        for (std::int64_t i = 0; i < p.slots; ++i) {
            const double angle = 360.0 * static_cast<double>(i) / static_cast<double>(p.slots);
            const auto [x1, y1] = at(angle, kCoreRadius);
            const auto [x2, y2] = at(angle, kCoreRadius * (1 - slotPx));
            out += line(x1, y1, x2, y2, i == 0 ? "slot first" : "slot");
        }
    }
    const double from = p.geometry.eStart, to = p.geometry.eThrow;
    for (int k = 1; k <= p.sectionCount; ++k) {
        const double r = kCoreRadius + 12.0 * k;
        std::string path;
        const int steps = 48;
        for (int i = 0; i <= steps; ++i) {
            const auto [x, y] = at(from + (to - from) * i / steps, r);
            path += (i == 0 ? "M" : " L") + fixed(x) + " " + fixed(y);
        }
        out += "<path d=\"" + path + "\" class=\"coil\"/>\n";
        const auto [lx, ly] = at(to, r + 8);
        out += label(lx, ly, "С" + std::to_string(k));
    }
    out += label(kEndCentreX, 440,
                 "Секция: от " + fixed(from) + "° до " + fixed(to) + "°, паз 1 вверху", "middle");
    return out;
}

std::string sideView(const Plan& p) {
    const double h = p.parameters.coreHeight, l = p.parameters.commutatorDistance;
    const SectionGeometry& g = p.geometry;
    const double left = std::min({-l, static_cast<double>(g.yStart), 0.0}) - 5;
    const double right = std::max({h, static_cast<double>(g.yEnd), 0.0}) + 5;
    const double depth = std::isfinite(p.parameters.slotDepth) ? p.parameters.slotDepth : 0;
    const double low = -std::max(depth, static_cast<double>(-g.dipDepth)) - 5, high = 20;
    const double sx = kSideWidth / std::max(right - left, 1.0);
    const double sy = kSideHeight / (high - low);
    auto X = [&](double y) { return kSideLeft + (y - left) * sx; };
    auto Y = [&](double z) { return kSideTop + (high - z) * sy; };

    std::string out =
        label(kSideLeft + kSideWidth / 2, 30, "Ход сбоку (Y по длине, Z по высоте)", "middle");
    out += "<rect x=\"" + fixed(X(0)) + "\" y=\"" + fixed(Y(0)) + "\" width=\"" + fixed(h * sx) +
           "\" height=\"" + fixed(depth * sy) + "\" class=\"core\"/>\n";
    out += label(X(h / 2), Y(-depth) + 16, "H " + fixed(h) + " мм, паз " + fixed(depth) + " мм",
                 "middle");
    out += line(X(-l), Y(high), X(-l), Y(low), "commutator");
    out += label(X(-l) + 4, Y(high) + 12, "коллектор, L " + fixed(l) + " мм");
    out += line(X(left), Y(0), X(right), Y(0), "travel");
    out += line(X(g.yStart), Y(g.dipDepth), X(g.yEnd), Y(g.dipDepth), "dip");
    out += label(X(right), Y(g.dipDepth) - 4, "заглубление " + fixed(g.dipDepth) + " мм", "end");
    out += line(X(g.yStart), Y(15), X(g.yStart), Y(g.dipDepth), "stroke");
    out += line(X(g.yEnd), Y(15), X(g.yEnd), Y(g.dipDepth), "stroke");
    out += label(X(g.yStart), Y(15) - 4, "Y " + std::to_string(g.yStart), "middle");
    out += label(X(g.yEnd), Y(15) - 4, "Y " + std::to_string(g.yEnd), "middle");
    return out;
}

}  // namespace

std::string planSvg(const Plan& plan) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"980\" height=\"460\" "
           "viewBox=\"0 0 980 460\" font-family=\"sans-serif\" font-size=\"13\">\n"
           "<style>.core{fill:#c6e0b4;stroke:#404040}.slot{stroke:#404040;stroke-width:3}"
           ".first{stroke:#a50725}.coil{fill:none;stroke:#2565a5;stroke-width:3}"
           ".travel{stroke:#808080;stroke-dasharray:4 3}.dip{stroke:#a50725;stroke-width:2}"
           ".stroke{stroke:#25a507;stroke-width:2}.commutator{stroke:#d08000;stroke-width:4}"
           "</style>\n<rect width=\"980\" height=\"460\" fill=\"#ffffff\"/>\n" +
           endView(plan) + sideView(plan) + "</svg>\n";
}

}  // namespace tarvel::plan
