// How long the machine takes for what it is sent. The practice controller carries its moves out
// at this pace, the plan tool adds them up and the jog keys wait for them, so its constants sit
// here and nowhere else.
//
// Each move is a trapezoid from rest to rest: up to speed at the acceleration, on at the feed,
// down to rest again. The real controller joins moves that go the same way without stopping,
// so it is never slower than this.
#pragma once

#include <optional>
#include <string_view>

namespace tarvel::motion {

inline constexpr double kAcceleration = 3000;  // units/s², every axis, until the settings say else
inline constexpr double kMinAcceleration = 1;  // what "M201 Y0" leaves
inline constexpr double kMaxSpeedYZ = 300;     // mm/s
inline constexpr double kMaxSpeedE = 4000;     // degrees/s
inline constexpr double kMinSpeed = 0.5;       // units/s, the slowest step rate ("F0")
inline constexpr double kStartFeed = 1500;     // units/min, until a line gives a feed
inline constexpr double kHomingSpeed = 25;     // mm/s, back to the switch
inline constexpr double kHomingBackOff = 5;    // mm off the switch and back at half speed
// Moves the controller holds, the one being carried out among them: one of its 16 slots is
// always kept free.
inline constexpr int kQueueMoves = 15;
inline constexpr double kBusyIntervalSeconds = 2;  // "busy" lines while an answer is held
// After M112 the firmware waits with its step interrupt still running, then switches the
// motors off: the machine moves on for this long.
inline constexpr double kHaltRunOnSeconds = 0.6;

enum class Axis { Y, Z, E };

struct Axes {
    double y = 0, z = 0, e = 0;
    double& operator[](Axis a) { return a == Axis::Y ? y : a == Axis::Z ? z : e; }
    double operator[](Axis a) const { return a == Axis::Y ? y : a == Axis::Z ? z : e; }
    friend bool operator==(const Axes&, const Axes&) = default;
};

struct GcodeLine;

// What the controller keeps of its machine's limits, as its settings name them: "M203" the
// highest feed of each axis (units/s), "M201" the highest acceleration of each axis, "M204" the
// acceleration of a move: P for one that turns the workpiece along with the length or the
// height, R for the rotation alone, T for the length and the height alone. The constants above
// until the controller says otherwise; the program's "M201 Y" sets the length's own.
struct Limits {
    Axes maxSpeed{kMaxSpeedYZ, kMaxSpeedYZ, kMaxSpeedE};
    Axes maxAcceleration{kAcceleration, kAcceleration, kAcceleration};
    double printAcceleration = kAcceleration;
    double retractAcceleration = kAcceleration;
    double travelAcceleration = kAcceleration;

    // Takes what an "M203", "M201" or "M204" line sets; false for any other line.
    bool take(const GcodeLine& g);
    friend bool operator==(const Limits&, const Limits&) = default;
};

// Seconds to cover `distance` from rest to rest at `speed` and `acceleration`.
double trapezoidSeconds(double distance, double speed, double acceleration);

// How a move covers its path: up to `speed` at `acceleration`, on, and down to rest.
struct MoveProfile {
    double length = 0;  // of the path
    double speed = 0;
    double acceleration = 0;
    double seconds = 0;

    // The share of the path covered `t` seconds into the move, 0 to 1.
    double shareAt(double t) const;
};

// The move by `distance` along each axis at a feed (units/min). Y and Z share the path; the
// rotation follows it, or is the path when neither moves. Each axis keeps to its own speed and
// acceleration limits.
MoveProfile moveProfile(const Axes& distance, double feedPerMinute, const Limits& limits);

// What the controller does with one line.
enum class Action {
    Answer,   // "ok" at once
    Move,     // "ok" once the move has a place in the queue; it takes `seconds`
    Wait,     // "ok" once every queued move has ended and then `seconds` have passed (G04, M400)
    Home,     // once every queued move has ended, moves for `seconds`, then "ok" (G28)
    Declare,  // reports the position, then "ok" (G92)
    Halt,     // answers nothing more until it is reset; the machine stops soon after (M112)
};

struct Effect {
    Action action = Action::Answer;
    double seconds = 0;
    // For a move or a homing: where it takes the machine, counted from where the machine stood
    // when it was reset or last homed, and how it gets there (a homing: at an even pace).
    Axes from, to;
    MoveProfile profile;
    // What the machine's declared position is over the counted one once the move is done.
    Axes declaredOffset;
};

// The controller's view of the machine: where its lines leave each axis, the feed in force and
// the limits. Lines are taken in the order they are carried out.
class Machine {
  public:
    Machine() = default;
    // A machine whose switches stand at `home` (G28 takes the homed axes there).
    explicit Machine(const Limits& limits, const Axes& home = {}) : limits_(limits), home_(home) {}

    Effect apply(std::string_view line);
    // The controller says where its axes stand (after a homing): those it names stand there
    // from now on, without a move.
    void declare(Axis axis, double at) { position_[axis] = at; }

    // Where the lines so far leave the machine, in the coordinates they declared (G92).
    const Axes& position() const { return position_; }
    // The same, counted from where the machine stood when it was reset or last homed.
    const Axes& travelled() const { return travelled_; }
    // The declared position over the counted one.
    Axes offset() const;
    const Limits& limits() const { return limits_; }
    void setLimits(const Limits& limits) { limits_ = limits; }

  private:
    Effect move(const Axes& target);
    Effect home(bool y, bool z);

    Axes position_;
    Axes travelled_;
    double feed_ = kStartFeed;
    Limits limits_;
    Axes home_;
};

}  // namespace tarvel::motion
