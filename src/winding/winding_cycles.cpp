#include "winding/winding_cycles.h"

#include <utility>

#include "numtext/reals.h"
#include "winding/section_program.h"
#include "winding/staking_program.h"

namespace tarvel {

WindingCycles::WindingCycles(const WindingForm& form, CycleView& view, StepRunner& steps,
                             RunControl& run, SectionLayout& layout, SpeedValues& speeds)
    : form_(form), view_(view), steps_(steps), run_(run), layout_(layout), speeds_(speeds) {}

void WindingCycles::windSection(int k) {
    const Start start = startOrContinue(k, readTurns(form_, k));
    if (start == Start::Nothing) {
        view_.enableSectionButtons(true);
        return;
    }
    const std::optional<StoppedCycle> from =
        start == Start::Continue ? stopped(k) : std::optional<StoppedCycle>{};
    SectionReads reads;
    if (from) {
        reads = from->reads;
    } else {
        reads.parameters = readCommonParameters(form_);
    }
    // Nothing may reach the machine that sends it to the end of its travel.
    if (auto refusal = sectionRefusal(reads.parameters,
                                      reads.rotationBefore.value_or(readRotationBefore(form_)),
                                      readRotationAfter(form_))) {
        view_.tell(*refusal);
        view_.enableSectionButtons(true);
        return;
    }

    run_.startCycle();
    const std::int32_t woundBefore = layout_.lastWoundSection;
    layout_.lastWoundSection = 0;
    if (!from) {
        view_.showCycleProgress(0);
        const int speed = readWindingSpeed(form_);
        speeds_.accelStart = LowBits32(static_cast<std::int64_t>(speed) * 300);
        speeds_.accelRun = LowBits32(static_cast<std::int64_t>(speed) * 1200);
    }
    // A second СТОП on the way back leaves the cycle where it stopped the first time.
    bool wound = from.has_value();
    if (!from || returnToStop(*from)) {
        SectionProgram program(form_, k, reads, speeds_);
        wound = run(k, program, from ? from->at : CyclePlace{},
                    from ? from->begunBlock() : std::nullopt, reads) ||
                wound;
    }
    // A section of which no line went out (held back by a fault seen before its first) is not
    // wound.
    layout_.lastWoundSection = wound ? k : woundBefore;
    view_.enableSectionButtons(true);
}

void WindingCycles::stakeCommutator() {
    const std::int64_t bars = readBarCount(form_);
    const Start start = startOrContinue(StoppedCycle::kStaking, bars);
    if (start == Start::Nothing || (start == Start::Anew && bars <= 0)) return;
    const std::optional<StoppedCycle> from =
        start == Start::Continue ? stopped(StoppedCycle::kStaking) : std::optional<StoppedCycle>{};
    if (from && !returnToStop(*from)) return;
    StakingProgram program(form_);
    run(StoppedCycle::kStaking, program, from ? from->at : CyclePlace{},
        from ? from->begunBlock() : std::nullopt);
}

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

bool WindingCycles::returnToStop(const StoppedCycle& stopped) {
    return steps_.run(wayBack(stopped, steps_.record()));
}

bool WindingCycles::run(int section, CycleProgram& program, CyclePlace from,
                        std::optional<Block> begun, const SectionReads& reads) {
    // This cycle declares zeros of its own: no other can go on where it stopped.
    for (std::size_t i = 0; i < stopped_.size(); ++i)
        if (stopped_[i] && static_cast<int>(i) != section) stopped_[i]->continuable = false;

    Block block = begun ? std::move(*begun) : Block{};
    bool dryRun = false;
    bool counted = false;
    for (CyclePlace at = from;; ++at.block, at.step = 0) {
        bool started = at.step > 0;
        if (!started) {
            if (dryRun) at.block = program.dryRunFrom(at.block);
            if (!program.make(at.block, block)) break;
        }
        for (; at.step < block.steps.size(); ++at.step) {
            const LineResult result = steps_.run(block.steps[at.step]);
            if (endsOperation(result)) {
                // A stopped section's bars keep the share it reached; a run of which nothing
                // went out leaves everything as it was.
                if (counted || from != CyclePlace{})
                    stopped(section) =
                        StoppedCycle{section, at, std::move(block), steps_.record(), reads, true};
                return counted;
            }
            if (!counts(result)) continue;  // a target the operator was told about is left out
            counted = true;
            dryRun = result == LineResult::DryRun;
            if (started) continue;
            started = true;
            program.begun(block);
            if (block.progress) setProgress(section, *block.progress);
        }
    }
    stopped(section).reset();
    if (section != StoppedCycle::kStaking) view_.showCycleProgress(0);
    return counted;
}

void WindingCycles::setProgress(int section, std::int32_t percent) {
    view_.showCycleProgress(percent);
    view_.showSectionProgress(section, percent);
}

}  // namespace tarvel
