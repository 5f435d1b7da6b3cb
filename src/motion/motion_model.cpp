#include "motion/motion_model.h"

#include <algorithm>
#include <cmath>

#include "motion/gcode_words.h"

namespace tarvel::motion {
namespace {

constexpr Axis kAxes[] = {Axis::Y, Axis::Z, Axis::E};

char letter(Axis a) {
    return a == Axis::Y ? 'Y' : a == Axis::Z ? 'Z' : 'E';
}

// The axis words of a settings line into `axes` (Y, Z and E; X is not this machine's).
void takeAxes(const GcodeLine& g, Axes& axes, double least) {
    for (Axis a : kAxes)
        if (auto v = g.word(letter(a))) axes[a] = std::max(*v, least);
}

// G04 waits P milliseconds or S seconds. The firmware reads no other word: "G04 X0.1" only
// waits for the queue to run out.
double dwellSeconds(const GcodeLine& g) {
    if (auto ms = g.word('P')) return std::max(0.0, *ms / 1000);
    if (auto s = g.word('S')) return std::max(0.0, *s);
    return 0;
}

// What a line does that takes the machine nowhere.
Effect plain(Action action, double seconds) {
    Effect effect;
    effect.action = action;
    effect.seconds = seconds;
    return effect;
}

}  // namespace

bool Limits::take(const GcodeLine& g) {
    if (g.is('M', 203)) {
        takeAxes(g, maxSpeed, kMinSpeed);
    } else if (g.is('M', 201)) {
        takeAxes(g, maxAcceleration, kMinAcceleration);
    } else if (g.is('M', 204)) {
        if (auto p = g.word('P')) printAcceleration = std::max(*p, kMinAcceleration);
        if (auto r = g.word('R')) retractAcceleration = std::max(*r, kMinAcceleration);
        if (auto t = g.word('T')) travelAcceleration = std::max(*t, kMinAcceleration);
        // The older form: S for every move.
        if (auto all = g.word('S'))
            printAcceleration = travelAcceleration = std::max(*all, kMinAcceleration);
    } else {
        return false;
    }
    return true;
}

double trapezoidSeconds(double distance, double speed, double acceleration) {
    if (!(distance > 0)) return 0;
    const double ramp = speed * speed / acceleration;  // to full speed and back to rest
    if (distance >= ramp) return distance / speed + speed / acceleration;
    return 2 * std::sqrt(distance / acceleration);
}

MoveProfile moveProfile(const Axes& distance, double feedPerMinute, const Limits& limits) {
    const double path = std::hypot(distance.y, distance.z);
    const double length = path > 0 ? path : std::abs(distance.e);
    if (!(length > 0)) return {};
    double speed = std::max(feedPerMinute / 60, kMinSpeed);
    double acceleration = distance.e == 0 ? limits.travelAcceleration
                          : path > 0      ? limits.printAcceleration
                                          : limits.retractAcceleration;
    for (Axis a : kAxes) {
        const double share = std::abs(distance[a]) / length;
        if (share == 0) continue;
        speed = std::min(speed, limits.maxSpeed[a] / share);
        acceleration = std::min(acceleration, limits.maxAcceleration[a] / share);
    }
    speed = std::max(speed, kMinSpeed);
    return {length, speed, acceleration, trapezoidSeconds(length, speed, acceleration)};
}

double MoveProfile::shareAt(double t) const {
    if (!(length > 0) || t >= seconds) return 1;
    if (t <= 0) return 0;
    // The top speed the move reaches: its speed, or less on a path too short to get there.
    const double top = std::min(speed, std::sqrt(length * acceleration));
    const double ramp = top / acceleration;  // seconds to top speed, and back to rest
    double covered;
    if (t < ramp) {
        covered = acceleration * t * t / 2;
    } else if (t <= seconds - ramp) {
        covered = top * ramp / 2 + top * (t - ramp);
    } else {
        const double left = seconds - t;
        covered = length - acceleration * left * left / 2;
    }
    return std::clamp(covered / length, 0.0, 1.0);
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
    if (g.is('G', 4)) return plain(Action::Wait, dwellSeconds(g));
    if (g.is('M', 400)) return plain(Action::Wait, 0);
    if (g.is('G', 28)) {
        const bool all = !g.has('Y') && !g.has('Z') && !g.has('E') && !g.has('X');
        return home(all || g.has('Y'), all || g.has('Z'));
    }
    if (g.is('G', 92)) {
        for (Axis a : kAxes) {
            if (auto v = g.word(letter(a))) position_[a] = *v;
        }
        return plain(Action::Declare, 0);
    }
    limits_.take(g);
    if (g.is('M', 112)) return plain(Action::Halt, 0);
    return plain(Action::Answer, 0);
}

Effect Machine::move(const Axes& target) {
    Effect effect = plain(Action::Move, 0);
    effect.from = travelled_;
    Axes distance;
    for (Axis a : kAxes) {
        distance[a] = target[a] - position_[a];
        travelled_[a] += distance[a];
    }
    position_ = target;
    effect.profile = moveProfile(distance, feed_, limits_);
    effect.seconds = effect.profile.seconds;
    effect.to = travelled_;
    effect.declaredOffset = offset();
    return effect;
}

Axes Machine::offset() const {
    Axes d;
    for (Axis a : kAxes)
        d[a] = position_[a] - travelled_[a];
    return d;
}

// Each axis runs back to its switch, backs off and comes back slowly; the place of the switch
// becomes its zero.
Effect Machine::home(bool y, bool z) {
    Effect effect = plain(Action::Home, 0);
    effect.from = travelled_;
    double seconds = 0;
    for (Axis a : {Axis::Z, Axis::Y}) {
        if (!(a == Axis::Y ? y : z)) continue;
        seconds += trapezoidSeconds(std::abs(travelled_[a]), kHomingSpeed, kAcceleration);
        seconds += trapezoidSeconds(kHomingBackOff, kHomingSpeed, kAcceleration);
        seconds += trapezoidSeconds(kHomingBackOff, kHomingSpeed / 2, kAcceleration);
        travelled_[a] = 0;
        position_[a] = home_[a];
    }
    effect.seconds = seconds;
    effect.to = travelled_;
    effect.declaredOffset = offset();
    return effect;
}

}  // namespace tarvel::motion
