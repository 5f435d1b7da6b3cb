#include "ui/window_scale.h"

#include <algorithm>
#include <cmath>

namespace tarvel {
namespace {

// Below this the captions could not be read; a screen that small gets its window cut instead.
constexpr double kSmallestScale = 0.5;
// Two windows side by side are made smaller only down to this: a trainee must read the captions
// without effort.
constexpr double kSmallestPairScale = 0.7;

}  // namespace

int scaledLength(double length, double scale) {
    return static_cast<int>(std::lround(length * scale));
}

Rect scaled(const Rect& r, double scale) {
    const int left = scaledLength(r.x, scale);
    const int top = scaledLength(r.y, scale);
    return {left, top, scaledLength(r.x + r.width, scale) - left,
            scaledLength(r.y + r.height, scale) - top};
}

int fontPixels(int points, double scale) {
    return scaledLength(points * 96.0 / 72.0, scale);
}

WindowPlacement placeMainWindow(const Screen& screen, int roomBeside) {
    const Rect& work = screen.workArea;
    const double wanted = screen.dpi / 96.0;
    const double fitsHeight = static_cast<double>(work.height - screen.frameHeight) / kClientHeight;
    const double pairFitsWidth =
        static_cast<double>(work.width - 2 * screen.frameWidth) / (kClientWidth + roomBeside);
    if (roomBeside <= 0 || std::min(pairFitsWidth, fitsHeight) < kSmallestPairScale) roomBeside = 0;
    const double fitsWidth =
        roomBeside > 0 ? pairFitsWidth
                       : static_cast<double>(work.width - screen.frameWidth) / kClientWidth;
    WindowPlacement p;
    const double scale = std::max(std::min({wanted, fitsWidth, fitsHeight}), kSmallestScale);
    // A whole number of pixels of client height: the factor can be read back off the window.
    p.scale = std::floor(scale * kClientHeight + 1e-9) / kClientHeight;
    const int width = scaledLength(kClientWidth, p.scale) + screen.frameWidth;
    const int height = scaledLength(kClientHeight, p.scale) + screen.frameHeight;
    const int pairWidth =
        width + (roomBeside > 0 ? scaledLength(roomBeside, p.scale) + screen.frameWidth : 0);
    p.window = {work.x + std::max(0, (work.width - pairWidth) / 2),
                work.y + std::max(0, (work.height - height) / 2), width, height};
    return p;
}

}  // namespace tarvel
