#include "winding/stopped_cycle.h"

#include "numtext/numtext.h"

namespace tarvel {
namespace {

// The height above which a cycle moves along the core and turns the workpiece: travel height for
// a section, the height the staking punch rises to between two bars.
constexpr float kSectionTravelHeight = 0;
constexpr float kStakingTravelHeight = 20;
// The way back goes at the approach's feed, and at the machine's pace like every line of a cycle.
constexpr const char* kWayBackFeed = " F15000\r\n";

// "на витке i из T" of a section (0 before its first turn, T after its last), "на ламели j из
// B" of the staking. `count`: what the field holds now, for what the cycle had not read.
std::string whereItStopped(const StoppedCycle& stopped, std::int64_t count) {
    if (stopped.section == StoppedCycle::kStaking)
        return "на ламели " + FormatInteger(stopped.block.turn) + " из " + FormatInteger(count);
    const std::int64_t turns = stopped.reads.turns.value_or(count);
    std::int64_t turn = stopped.block.turn;
    if (stopped.block.phase == Block::Phase::Approach) turn = 0;
    if (stopped.block.phase == Block::Phase::Departure) turn = turns;
    return "на витке " + FormatInteger(turn) + " из " + FormatInteger(turns);
}

}  // namespace

std::vector<Step> wayBack(const StoppedCycle& stopped, const TrackedPosition& at) {
    const bool staking = stopped.section == StoppedCycle::kStaking;
    // The staking's angles go out in the real text form, so its way back does too.
    const NumberForm rotationForm = staking ? NumberForm::Real : NumberForm::Integer;
    const float travel = staking ? kStakingTravelHeight : kSectionTravelHeight;
    const TrackedPosition& to = stopped.where;
    std::vector<Step> way;
    float height = at.height;
    const auto moveHeight = [&](float target) {
        way.push_back(
            moveStep("G0 Z", target, kWayBackFeed, &TrackedPosition::height, Pace::WithMachine));
        height = target;
    };
    const bool across = at.length != to.length || at.rotation != to.rotation;
    if (across && height < travel) moveHeight(travel);
    if (at.length != to.length)
        way.push_back(
            moveStep("G0 Y", to.length, kWayBackFeed, &TrackedPosition::length, Pace::WithMachine));
    if (at.rotation != to.rotation)
        way.push_back(moveStep("G0 E", to.rotation, kWayBackFeed, &TrackedPosition::rotation,
                               Pace::WithMachine, rotationForm));
    // The staking's punch never comes down again where it stopped below its travel height: that
    // would strike the same bar twice. It waits at the travel height, and the staking goes on
    // from its next line.
    const float down = staking && to.height < travel ? travel : to.height;
    if (height != down) moveHeight(down);
    return way;
}

std::string continueQuestion(const StoppedCycle& stopped, std::int64_t count) {
    if (stopped.section == StoppedCycle::kStaking) {
        return "Кернение остановлено " + whereItStopped(stopped, count) +
               ".\n\nДа — продолжить с места остановки. Нет — начать кернение заново. Отмена — "
               "ничего не делать.";
    }
    return "Секция " + FormatInteger(stopped.section) + " остановлена " +
           whereItStopped(stopped, count) +
           ".\n\nДа — продолжить с места остановки. Нет — намотать секцию заново. Отмена — ничего "
           "не делать.";
}

std::string cannotContinueQuestion(const StoppedCycle& stopped, std::int64_t count) {
    const std::string cannot =
        ", но положение станка с тех пор объявлено заново: продолжить нельзя. ";
    if (stopped.section == StoppedCycle::kStaking)
        return "Кернение было остановлено " + whereItStopped(stopped, count) + cannot +
               "Начать кернение заново?";
    return "Секция " + FormatInteger(stopped.section) + " была остановлена " +
           whereItStopped(stopped, count) + cannot + "Намотать секцию заново?";
}

}  // namespace tarvel
