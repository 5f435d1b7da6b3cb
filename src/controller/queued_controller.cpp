#include "controller/queued_controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "motion/gcode_words.h"

namespace tarvel::controller {
namespace {

using motion::Action;

constexpr long long kBusyUs = static_cast<long long>(motion::kBusyIntervalSeconds * 1e6);
constexpr double kStepsPerMmY = 80;
constexpr double kStepsPerMmZ = 400;

long long microseconds(double seconds) {
    return static_cast<long long>(std::llround(seconds * 1e6));
}

}  // namespace

// Its own name and build first, the date mark within the 92 bytes a search looks at, then the
// settings it keeps. No word in it holds the two letters of an acknowledgement.
std::string queuedControllerStartUpText(const motion::Limits& l) {
    char feeds[96], accelerations[96], moves[96];
    std::snprintf(feeds, sizeof feeds, "echo:  M203 X%.2f Y%.2f Z%.2f E%.2f\n", l.maxSpeed.y,
                  l.maxSpeed.y, l.maxSpeed.z, l.maxSpeed.e);
    std::snprintf(accelerations, sizeof accelerations, "echo:  M201 X%.2f Y%.2f Z%.2f E%.2f\n",
                  l.maxAcceleration.y, l.maxAcceleration.y, l.maxAcceleration.z,
                  l.maxAcceleration.e);
    std::snprintf(moves, sizeof moves, "echo:  M204 P%.2f R%.2f T%.2f\n", l.printAcceleration,
                  l.retractAcceleration, l.travelAcceleration);
    return std::string(
               "start\n"
               "echo:Tarvel motion firmware 2.0.9 (Jan 08 2022)\n"
               "echo: Last Updated: 2021-12-25 | Author: (A.V. Korolev, armature winder)\n"
               "echo:Compiled: Jan  8 2022\n"
               "echo: Free Memory: 4233  PlannerBufferBytes: 1312\n"
               "echo:V85 stored settings retrieved (582 bytes; crc 31029)\n"
               "echo:; Linear Units:\n"
               "echo:  G21 ; (mm)\n"
               "echo:; Steps per unit:\n"
               "echo:  M92 X80.00 Y80.00 Z400.00 E8.89\n"
               "echo:; Maximum feedrates (units/s):\n") +
           feeds + "echo:; Maximum Acceleration (units/s2):\n" + accelerations +
           "echo:; Acceleration (units/s2): P<print_accel> R<retract_accel> T<travel_accel>\n" +
           moves +
           "echo:; Advanced: B<min_segment_time_us> S<min_feedrate> T<min_travel_feedrate> "
           "J<junc_dev>\n"
           "echo:  M205 B20000.00 S0.00 T0.00 J0.01\n"
           "echo:; Home offset:\n"
           "echo:  M206 X0.00 Y0.00 Z0.00\n"
           "echo:; Planner queue: 16 blocks, absolute positioning\n"
           "echo:; Endstops: Y min, Z max\n"
           "echo:  M666 X0.00 Y0.00 Z0.00\n"
           "echo:; Serial: 115200 baud 8N1\n";
}

void QueuedController::reset(long long nowUs) {
    finishMoves(nowUs);
    if (!moves_.empty())
        logRest(nowUs, state(nowUs).travelled, moves_.front().effect.declaredOffset);
    machine_ = motion::Machine(board_.limits, board_.home);
    moves_.clear();
    stoppedAt_.reset();
    motorsOffUs_ = kNever;
    lastEndUs_ = nowUs;
    input_.clear();
    held_.reset();
    halted_ = false;
}

void QueuedController::receive(std::string line, long long nowUs) {
    if (halted_) return;
    // A program that waits for each "ok" cannot have sent this yet.
    if (held_ || !input_.empty())
        host_.log(nowUs, "EARLY a line came before this one was answered");
    // The emergency stop is acted on as it is read, ahead of whatever waits.
    if (motion::parseGcode(line).is('M', 112)) return halt(nowUs);
    input_.push_back({std::move(line), nowUs});
}

void QueuedController::advance(long long nowUs) {
    for (;;) {
        finishMoves(nowUs);
        if (held_) {
            if (!release(*held_, nowUs)) {
                if (nowUs >= held_->nextBusyUs) {
                    host_.send("echo:busy: processing\n");
                    held_->nextBusyUs += kBusyUs;
                }
                return;
            }
            answerHeld(*std::exchange(held_, std::nullopt), nowUs);
        }
        if (input_.empty() || halted_) return;
        const Line line = std::move(input_.front());
        input_.pop_front();
        take(line, nowUs);
    }
}

long long QueuedController::nextDueUs() const {
    long long due = kNever;
    if (!moves_.empty()) due = std::min(moves_.front().endUs, motorsOffUs_);
    if (!held_) return input_.empty() || halted_ ? due : 0;
    due = std::min(due, held_->nextBusyUs);
    if (held_->effect.action == Action::Wait && moves_.empty())
        due = std::min(
            due, std::max(lastEndUs_, held_->receivedUs) + microseconds(held_->effect.seconds));
    return due;
}

void QueuedController::take(const Line& line, long long nowUs) {
    const motion::Effect effect = machine_.apply(line.text);
    switch (effect.action) {
        case Action::Answer:
            // Where the axes stand, as the planner has them: where the queued moves end.
            if (motion::parseGcode(line.text).is('M', 114)) reportPosition();
            answer(nowUs);
            return;
        case Action::Declare:
            reportPosition();
            answer(nowUs);
            return;
        case Action::Halt:
            halt(nowUs);
            return;
        default:
            held_ = Held{effect, line.receivedUs, line.receivedUs + kBusyUs};
            if (release(*held_, nowUs)) answerHeld(*std::exchange(held_, std::nullopt), nowUs);
            return;
    }
}

bool QueuedController::release(Held& held, long long nowUs) {
    switch (held.effect.action) {
        case Action::Move:
            if (moves_.size() >= static_cast<std::size_t>(motion::kQueueMoves)) return false;
            queueMove(held.effect, held.receivedUs);
            return true;
        case Action::Wait:
            return atRest(nowUs) && nowUs >= std::max(lastEndUs_, held.receivedUs) +
                                                 microseconds(held.effect.seconds);
        case Action::Home:
            if (!held.homingQueued) {
                if (!atRest(nowUs)) return false;
                queueMove(held.effect, held.receivedUs);
                held.homingQueued = true;
            }
            return atRest(nowUs);
        default:
            return true;
    }
}

void QueuedController::finishMoves(long long nowUs) {
    while (!moves_.empty() && moves_.front().endUs <= std::min(nowUs, motorsOffUs_)) {
        const long long end = moves_.front().endUs;
        const motion::Effect last = moves_.front().effect;
        moves_.pop_front();
        host_.log(end, "DONE");
        if (moves_.empty()) logRest(end, last.to, last.declaredOffset);
    }
    if (nowUs < motorsOffUs_) return;
    // The motors are off: whatever was still to be carried out stays where it is.
    if (!moves_.empty()) {
        const Move& cut = moves_.front();
        MachineState stopped;
        stopped.travelled = travelledAt(cut, motorsOffUs_);
        for (motion::Axis a : {motion::Axis::Y, motion::Axis::Z, motion::Axis::E})
            stopped.declared[a] = stopped.travelled[a] + cut.effect.declaredOffset[a];
        stoppedAt_ = stopped;
        logRest(motorsOffUs_, stopped.travelled, cut.effect.declaredOffset);
    }
    moves_.clear();
    lastEndUs_ = std::min(lastEndUs_, motorsOffUs_);
    motorsOffUs_ = kNever;
}

void QueuedController::queueMove(const motion::Effect& effect, long long receivedUs) {
    const long long duration = microseconds(effect.seconds);
    if (duration <= 0) return;  // nothing to carry out: the machine stays as it is
    const long long start = std::max(lastEndUs_, receivedUs);
    lastEndUs_ = start + duration;
    moves_.push_back({start, lastEndUs_, effect});
}

motion::Axes QueuedController::travelledAt(const Move& move, long long nowUs) {
    const motion::Effect& e = move.effect;
    const double t = static_cast<double>(nowUs - move.startUs) / 1e6;
    // A homing runs back, off and on again: taken at an even pace.
    const double share = e.profile.length > 0 ? e.profile.shareAt(t)
                                              : std::clamp(t / std::max(e.seconds, 1e-9), 0.0, 1.0);
    motion::Axes at;
    for (motion::Axis a : {motion::Axis::Y, motion::Axis::Z, motion::Axis::E})
        at[a] = e.from[a] + (e.to[a] - e.from[a]) * share;
    return at;
}

MachineState QueuedController::state(long long nowUs) const {
    MachineState s;
    s.queuedMoves = moves_.size();
    s.restsAtUs = lastEndUs_;
    if (moves_.empty()) {
        if (stoppedAt_) return *stoppedAt_;
        s.travelled = machine_.travelled();
        s.declared = machine_.position();
        return s;
    }
    const Move& current = moves_.front();
    s.moving = nowUs >= current.startUs;
    s.travelled = travelledAt(current, std::max(nowUs, current.startUs));
    for (motion::Axis a : {motion::Axis::Y, motion::Axis::Z, motion::Axis::E})
        s.declared[a] = s.travelled[a] + current.effect.declaredOffset[a];
    return s;
}

// Where the machine has come to rest, in the coordinates the program declared.
void QueuedController::logRest(long long atUs, const motion::Axes& travelled,
                               const motion::Axes& offset) {
    char text[96];
    std::snprintf(text, sizeof text, "REST Y%.3f Z%.3f E%.3f", travelled.y + offset.y,
                  travelled.z + offset.z, travelled.e + offset.e);
    host_.log(atUs, text);
}

void QueuedController::answer(long long nowUs) {
    host_.send("ok\n");
    host_.log(nowUs, "TX ok");
}

void QueuedController::answerHeld(const Held& held, long long nowUs) {
    if (held.effect.action == Action::Home) reportPosition();
    answer(nowUs);
}

void QueuedController::reportPosition() {
    const motion::Axes& at = machine_.position();
    const motion::Axes& counts = machine_.travelled();
    char text[160];
    std::snprintf(text, sizeof text, "X:0.00 Y:%.2f Z:%.2f E:%.2f Count X:0 Y:%lld Z:%lld\n", at.y,
                  at.z, at.e, std::llround(counts.y * kStepsPerMmY),
                  std::llround(counts.z * kStepsPerMmZ));
    host_.send(text);
}

void QueuedController::halt(long long nowUs) {
    finishMoves(nowUs);
    motorsOffUs_ = nowUs + microseconds(motion::kHaltRunOnSeconds);
    input_.clear();
    held_.reset();
    halted_ = true;
    host_.send("echo:M112 Shutdown\n");
    host_.send("Error:Printer halted. kill() called!\n");
    host_.log(nowUs, "HALT");
}

}  // namespace tarvel::controller
