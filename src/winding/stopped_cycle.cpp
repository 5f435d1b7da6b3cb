#include "winding/stopped_cycle.h"

#include "numtext/numtext.h"

namespace tarvel {
namespace {

constexpr float kSectionTravelHeight = 0;
constexpr float kStakingTravelHeight = 20;

// "на витке i из T" of a section (0 before its first turn, T after its last), "на ламели j из
// B" of the staking. `count`: what the field holds now, for what the cycle had not read.
std::string whereItStopped(const StoppedCycle& stopped, std::int64_t count) {
    if (stopped.section == StoppedCycle::kStaking)
        return "на ламели " + FormatInteger(stopped.at.turn) + " из " + FormatInteger(count);
    const std::int64_t turns = stopped.reads.turns.value_or(count);
    std::int64_t turn = stopped.at.turn;
    if (stopped.at.phase == CyclePoint::Phase::Approach) turn = 0;
    if (stopped.at.phase == CyclePoint::Phase::Departure) turn = turns;
    return "на витке " + FormatInteger(turn) + " из " + FormatInteger(turns);
}

}  // namespace

float travelHeight(const StoppedCycle& stopped) {
    return stopped.section == StoppedCycle::kStaking ? kStakingTravelHeight : kSectionTravelHeight;
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
