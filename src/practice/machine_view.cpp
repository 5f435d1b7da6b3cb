#include "practice/machine_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "motion/motion_model.h"
#include "winding/parameters.h"

namespace tarvel::practice {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Rgb kInk{64, 64, 64}, kCore{198, 224, 180}, kFirst{165, 7, 37}, kGuide{37, 101, 165},
    kCommutator{208, 128, 0}, kPaper{255, 255, 255}, kPanel{128, 187, 206}, kFaint{170, 170, 170};
// The end view: the core, the guide above it; the side view below; the numbers and the queue.
constexpr double kEndX = 210, kEndY = 235, kCoreRadius = 140;
constexpr double kSideLeft = 34, kSideRight = 386, kSideTop = 440, kSideBottom = 560;
constexpr int kMostSlotsDrawn = 360;

Shape line(double x1, double y1, double x2, double y2, Rgb colour, double width = 1) {
    Shape s;
    s.kind = Shape::Kind::Line;
    s.x = x1, s.y = y1, s.x2 = x2, s.y2 = y2;
    s.colour = colour;
    s.width = width;
    return s;
}

Shape circle(double x, double y, double r, Rgb colour, bool filled, double width = 1) {
    Shape s;
    s.kind = Shape::Kind::Circle;
    s.x = x, s.y = y, s.r = r;
    s.colour = colour;
    s.filled = filled;
    s.width = width;
    return s;
}

Shape rect(double x, double y, double w, double h, Rgb colour, bool filled) {
    Shape s;
    s.kind = Shape::Kind::Rect;
    s.x = x, s.y = y, s.x2 = w, s.y2 = h;
    s.colour = colour;
    s.filled = filled;
    return s;
}

Shape text(double x, double y, std::string words, double points, bool bold = false,
           bool centred = false) {
    Shape s;
    s.kind = Shape::Kind::Text;
    s.x = x, s.y = y;
    s.text = std::move(words);
    s.points = points;
    s.bold = bold;
    s.centred = centred;
    s.colour = kInk;
    return s;
}

std::string number(double value, const char* unit) {
    char out[48];
    std::snprintf(out, sizeof out, "%.2f%s", std::isfinite(value) ? value : 0.0, unit);
    return out;
}

// A point of the end view at an angle (0 at the top, counter-clockwise as seen) and a radius.
std::pair<double, double> at(double degrees, double radius) {
    const double a = degrees * kPi / 180;
    return {kEndX - radius * std::sin(a), kEndY - radius * std::cos(a)};
}

// The workpiece turned as the machine has turned it, its slot 1 marked; the guide stays at the
// top, at its height over the core (0 at the slot's mouth, below in the slot).
void endView(const controller::MachineState& m, const CoreSizes& core, Picture& p) {
    p.shapes.push_back(rect(10, 40, 400, 360, kPaper, true));
    p.shapes.push_back(text(20, 60, "С торца", 11, true));
    p.shapes.push_back(circle(kEndX, kEndY, kCoreRadius, kCore, true));
    p.shapes.push_back(circle(kEndX, kEndY, kCoreRadius, kInk, false));
    const double mm = kCoreRadius / (core.diameter / 2);
    const double depth = std::clamp(core.slotDepth * mm, 4.0, kCoreRadius * 0.6);
    if (core.slots > 0 && core.slots <= kMostSlotsDrawn) {
        const double pitch = 360.0 / core.slots;
        for (int k = core.slots; k >= 1; --k) {
            const double angle = m.travelled.e - (k - 1) * pitch;
            const auto [x1, y1] = at(angle, kCoreRadius);
            const auto [x2, y2] = at(angle, kCoreRadius - depth);
            p.shapes.push_back(line(x1, y1, x2, y2, k == 1 ? kFirst : kInk, k == 1 ? 4 : 2));
        }
    }
    // Above the core the room is short: the side view shows the whole height.
    const double tip =
        std::clamp(kCoreRadius + m.declared.z * mm, kCoreRadius - depth - 10, kCoreRadius + 35);
    p.shapes.push_back(line(kEndX, kEndY - tip - 20, kEndX, kEndY - tip, kGuide, 5));
    p.shapes.push_back(circle(kEndX, kEndY - tip, 5, kGuide, true));
    p.shapes.push_back(text(20, 392, "синий: проводоводитель, красный: паз 1", 9));
    if (!core.fromFields)
        p.shapes.push_back(
            text(kEndX, 378, "размеры не заданы: магнитопровод для примера", 9, false, true));
}

// The stroke from the side: the core, the commutator, the guide at its length and height.
void sideView(const controller::MachineState& m, const CoreSizes& core, Picture& p) {
    p.shapes.push_back(rect(10, 410, 400, 170, kPaper, true));
    p.shapes.push_back(text(20, 430, "Сбоку", 11, true));
    const double y = std::isfinite(m.declared.y) ? m.declared.y : 0;
    const double z = std::isfinite(m.declared.z) ? m.declared.z : 0;
    const double left = std::min(-core.commutatorDistance, y) - 5;
    const double right = std::max(core.height, y) + 5;
    const double low = std::min(-core.slotDepth, z) - 3, high = std::max(20.0, z);
    const double sx = (kSideRight - kSideLeft) / std::max(right - left, 1.0);
    const double sz = (kSideBottom - kSideTop) / std::max(high - low, 1.0);
    auto X = [&](double v) { return kSideLeft + (v - left) * sx; };
    auto Z = [&](double v) { return kSideTop + (high - v) * sz; };
    p.shapes.push_back(rect(X(0), Z(0), core.height * sx, core.slotDepth * sz, kCore, true));
    p.shapes.push_back(line(X(left), Z(0), X(right), Z(0), kFaint));
    p.shapes.push_back(line(X(-core.commutatorDistance), Z(high), X(-core.commutatorDistance),
                            Z(low), kCommutator, 4));
    p.shapes.push_back(line(X(y), Z(high), X(y), Z(z), kGuide, 5));
    p.shapes.push_back(circle(X(y), Z(z), 5, kGuide, true));
    p.shapes.push_back(text(20, 574, "синий: проводоводитель, оранжевый: коллектор", 9));
}

void numbersAndQueue(const controller::MachineState& m, Picture& p) {
    p.shapes.push_back(text(20, 610, "Высота: " + number(m.declared.z, " мм"), 12));
    p.shapes.push_back(text(20, 634, "Длина: " + number(m.declared.y, " мм"), 12));
    p.shapes.push_back(text(20, 658, "Поворот: " + number(m.declared.e, "°"), 12));
    const int cells = motion::kQueueMoves;
    const double w = 390.0 / cells;
    for (int i = 0; i < cells; ++i) {
        const bool held = static_cast<std::size_t>(i) < m.queuedMoves;
        p.shapes.push_back(rect(15 + i * w, 690, w - 3, 26, held ? kCommutator : kPaper, true));
        p.shapes.push_back(rect(15 + i * w, 690, w - 3, 26, kInk, false));
    }
    p.shapes.push_back(text(20, 745,
                            "Движений в очереди контроллера: " + std::to_string(m.queuedMoves) +
                                " из " + std::to_string(cells),
                            11));
}

bool usable(double v) {
    return std::isfinite(v) && v >= 0;
}

}  // namespace

CoreSizes coreSizes(const WindingForm& form) {
    CoreSizes c;
    const double d = readReal(form, Parameter::CoreDiameter);
    const double h = readReal(form, Parameter::CoreHeight);
    const double depth = readReal(form, Parameter::SlotDepth);
    const double l = readReal(form, Parameter::CommutatorDistance);
    const std::int64_t slots = readInteger(form, Parameter::SlotCount);
    if (!(usable(d) && d > 0 && usable(h) && h > 0 && usable(depth) && depth < d / 2 && usable(l) &&
          slots > 0 && slots <= kMostSlotsDrawn))
        return c;
    return {h, d, depth, l, static_cast<int>(slots), true};
}

Picture machinePicture(const controller::MachineState& machine, const CoreSizes& core) {
    Picture p;
    p.width = kPictureWidth;
    p.height = kPictureHeight;
    p.shapes.push_back(rect(0, 0, kPictureWidth, kPictureHeight, kPanel, true));
    p.shapes.push_back(text(20, 26, "Станок: как он стоит сейчас", 13, true));
    endView(machine, core, p);
    sideView(machine, core, p);
    numbersAndQueue(machine, p);
    return p;
}

MachineView::MachineView(PracticePort& port, PictureWindow& window, const WindingForm& form)
    : port_(port), window_(window), form_(form) {}

bool MachineView::open() {
    window_.setPainter([this] { return paint(); });
    port_.onChange([this] {
        if (animating_ || !port_.machine().moving) return;
        animating_ = true;
        window_.animate(30);
    });
    return window_.open("Станок", kPictureWidth, kPictureHeight);
}

// The last picture of a move is the one at rest: then nothing more is painted until the
// machine moves again.
Picture MachineView::paint() {
    const controller::MachineState machine = port_.machine();
    if (animating_ && !machine.moving) {
        animating_ = false;
        window_.animate(0);
    }
    return machinePicture(machine, coreSizes(form_));
}

}  // namespace tarvel::practice
