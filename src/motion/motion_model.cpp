#include "motion/motion_model.h"

#include <algorithm>
#include <cmath>

#include "motion/gcode_words.h"

namespace tarvel::motion {
namespace {

constexpr Axis kAxes[] = {Axis::Y, Axis::Z, Axis::E};

double maxSpeed(Axis a) {
    return a == Axis::E ? kMaxSpeedE : kMaxSpeedYZ;
}

char letter(Axis a) {
    return a == Axis::Y ? 'Y' : a == Axis::Z ? 'Z' : 'E';
}

// The Y acceleration an "M201 Y…" leaves the controller with.
std::optional<double> accelerationYOf(const GcodeLine& g) {
    const std::optional<double> y = g.is('M', 201) ? g.word('Y') : std::nullopt;
    if (!y) return std::nullopt;
    return std::clamp(*y, kMinAcceleration, kAcceleration);
}

// G04 waits P milliseconds or S seconds. The firmware reads no other word: "G04 X0.1" only
// waits for the queue to run out.
double dwellSeconds(const GcodeLine& g) {
    if (auto ms = g.word('P')) return std::max(0.0, *ms / 1000);
    if (auto s = g.word('S')) return std::max(0.0, *s);
    return 0;
}

}  // namespace

double trapezoidSeconds(double distance, double speed, double acceleration) {
    if (!(distance > 0)) return 0;
    const double ramp = speed * speed / acceleration;  // to full speed and back to rest
    if (distance >= ramp) return distance / speed + speed / acceleration;
    return 2 * std::sqrt(distance / acceleration);
}

double moveSeconds(const Axes& distance, double feedPerMinute, double accelerationY) {
    const double path = std::hypot(distance.y, distance.z);
    const double length = path > 0 ? path : std::abs(distance.e);
    if (!(length > 0)) return 0;
    double speed = std::max(feedPerMinute / 60, kMinSpeed);
    double acceleration = kAcceleration;
    for (Axis a : kAxes) {
        const double share = std::abs(distance[a]) / length;
        if (share == 0) continue;
        const double axisAcceleration = a == Axis::Y ? accelerationY : kAcceleration;
        speed = std::min(speed, maxSpeed(a) / share);
        acceleration = std::min(acceleration, axisAcceleration / share);
    }
    return trapezoidSeconds(length, std::max(speed, kMinSpeed), acceleration);
}

std::optional<double> accelerationYSetBy(std::string_view line) {
    return accelerationYOf(parseGcode(line));
}

Effect Machine::apply(std::string_view line) {
    const GcodeLine g = parseGcode(line);
    if (g.is('G', 0) || g.is('G', 1)) {
        if (auto f = g.word('F')) feed_ = *f;
        Axes target = position_;
        for (Axis a : kAxes) {
            if (auto v = g.word(letter(a))) target[a] = *v;
        }
        return move(target);
    }
    if (g.is('G', 4)) return {Action::Wait, dwellSeconds(g)};
    if (g.is('M', 400)) return {Action::Wait, 0};
    if (g.is('G', 28)) {
        const bool all = !g.has('Y') && !g.has('Z') && !g.has('E') && !g.has('X');
        return home(all || g.has('Y'), all || g.has('Z'));
    }
    if (g.is('G', 92)) {
        for (Axis a : kAxes) {
            if (auto v = g.word(letter(a))) position_[a] = *v;
        }
        return {Action::Declare, 0};
    }
    if (auto y = accelerationYOf(g)) accelerationY_ = *y;
    if (g.is('M', 112)) return {Action::Halt, 0};
    return {Action::Answer, 0};
}

Effect Machine::move(const Axes& target) {
    Axes distance;
    for (Axis a : kAxes) {
        distance[a] = target[a] - position_[a];
        travelled_[a] += distance[a];
    }
    position_ = target;
    return {Action::Move, moveSeconds(distance, feed_, accelerationY_)};
}

// Each axis runs back to its switch, backs off and comes back slowly; the place of the switch
// becomes its zero.
Effect Machine::home(bool y, bool z) {
    double seconds = 0;
    for (Axis a : {Axis::Z, Axis::Y}) {
        if (!(a == Axis::Y ? y : z)) continue;
        seconds += trapezoidSeconds(std::abs(travelled_[a]), kHomingSpeed, kAcceleration);
        seconds += trapezoidSeconds(kHomingBackOff, kHomingSpeed, kAcceleration);
        seconds += trapezoidSeconds(kHomingBackOff, kHomingSpeed / 2, kAcceleration);
        travelled_[a] = 0;
        position_[a] = 0;
    }
    return {Action::Home, seconds};
}

}  // namespace tarvel::motion
