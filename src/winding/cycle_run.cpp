// What the two cycles share: the way their lines go out, and how a stopped cycle is continued.
#include "numtext/reals.h"
#include "winding/section_cycle.h"

namespace tarvel {

WindingCycles::Start WindingCycles::startOrContinue(int section, std::int64_t count) {
    std::optional<StoppedCycle>& mine = stopped(section);
    if (!mine) return Start::Anew;
    if (!mine->continuable) {
        const Answer answer =
            view_.ask(cannotContinueQuestion(*mine, count), Choices::YesNo, Answer::No);
        mine.reset();
        return answer == Answer::Yes ? Start::Anew : Start::Nothing;
    }
    switch (view_.ask(continueQuestion(*mine, count), Choices::YesNoCancel, Answer::Yes)) {
        case Answer::Yes:
            return Start::Continue;
        case Answer::No:
            mine.reset();
            return Start::Anew;
        case Answer::Cancel:
            break;
    }
    return Start::Nothing;
}

void WindingCycles::dropContinuation() {
    for (std::optional<StoppedCycle>& s : stopped_)
        if (s) s->continuable = false;
}

// From wherever jogs have taken the machine since: up to the cycle's travel height first when
// the guide is below it and the length or the rotation must move, then the length and the
// rotation, then down to where it stopped. After no jog, no line at all.
bool WindingCycles::returnToStop(const StoppedCycle& stopped) {
    // The staking's angles go out in the real text form, so its way back does too.
    const NumberForm rotationForm =
        stopped.section == StoppedCycle::kStaking ? NumberForm::Real : NumberForm::Integer;
    const TrackedPosition& at = position_;
    const TrackedPosition& to = stopped.where;
    const float travel = travelHeight(stopped);
    const bool across = at.length != to.length || at.rotation != to.rotation;
    if (across && at.height < travel && !returnMove(&TrackedPosition::height, "G0 Z", travel))
        return false;
    if (at.length != to.length && !returnMove(&TrackedPosition::length, "G0 Y", to.length))
        return false;
    if (at.rotation != to.rotation &&
        !returnMove(&TrackedPosition::rotation, "G0 E", to.rotation, rotationForm))
        return false;
    return at.height == to.height || returnMove(&TrackedPosition::height, "G0 Z", to.height);
}

// At the approach's feed, and at the machine's pace like every line of a cycle.
bool WindingCycles::returnMove(float TrackedPosition::*axis, std::string_view head, float target,
                               NumberForm form) {
    if (!sender_.sendMove(head, target, " F15000\r\n", form, Pace::WithMachine)) return false;
    position_.*axis = target;
    return true;
}

void WindingCycles::begin(int cycle, CyclePoint from) {
    // This cycle declares zeros of its own: no other can go on where it stopped.
    for (std::size_t i = 0; i < stopped_.size(); ++i)
        if (stopped_[i] && static_cast<int>(i) != cycle) stopped_[i]->continuable = false;
    at_ = from;
    passOver_ = from.line;
    halted_ = false;
}

bool WindingCycles::line(std::string_view text) {
    if (skipped()) return false;
    return counted(sender_.sendLine(text, Pace::WithMachine));
}

bool WindingCycles::move(float TrackedPosition::*axis, std::string_view head, double target,
                         std::string_view tail, NumberForm form) {
    if (skipped()) return false;
    if (!counted(sender_.sendMove(head, target, tail, form, Pace::WithMachine))) return false;
    position_.*axis = StoreReal(target);
    return true;
}

bool WindingCycles::skipped() {
    if (halted_) return true;
    if (passOver_ == 0) return false;
    --passOver_;
    ++at_.line;
    return true;
}

bool WindingCycles::counted(bool sent) {
    // Held back by СТОП or a lost controller: the cycle stops at this line. (A target the
    // operator was told about is left out, as an uninterrupted run would.)
    if (!sent && sender_.stopped()) {
        halted_ = true;
        return false;
    }
    ++at_.line;
    return sent;
}

void WindingCycles::finish(int section, const SectionReads& reads) {
    if (!halted_) {
        stopped(section).reset();
        return;
    }
    stopped(section) = StoppedCycle{section, at_, position_, reads, true};
}

void WindingCycles::setProgress(int section, std::int32_t percent) {
    view_.showCycleProgress(percent);
    view_.showSectionProgress(section, percent);
}

}  // namespace tarvel
