#include "ui/window_scale.h"

#include <algorithm>
#include <cmath>

namespace tarvel {
namespace {

// Below this the captions could not be read; a screen that small gets its window cut instead.
constexpr double kSmallestScale = 0.5;

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

WindowPlacement placeMainWindow(const Screen& screen) {
    const Rect& work = screen.workArea;
    const double wanted = screen.dpi / 96.0;
    const double fitsWidth = static_cast<double>(work.width - screen.frameWidth) / kClientWidth;
    const double fitsHeight = static_cast<double>(work.height - screen.frameHeight) / kClientHeight;
    WindowPlacement p;
    const double scale = std::max(std::min({wanted, fitsWidth, fitsHeight}), kSmallestScale);
    // A whole number of pixels of client height: the factor can be read back off the window.
    p.scale = std::floor(scale * kClientHeight + 1e-9) / kClientHeight;
    const int width = scaledLength(kClientWidth, p.scale) + screen.frameWidth;
    const int height = scaledLength(kClientHeight, p.scale) + screen.frameHeight;
    p.window = {work.x + std::max(0, (work.width - width) / 2),
                work.y + std::max(0, (work.height - height) / 2), width, height};
    return p;
}

}  // namespace tarvel
