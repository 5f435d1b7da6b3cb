#include "winding/section_cycle.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "numtext/reals.h"

namespace tarvel {
namespace {

constexpr double kDipFraction = static_cast<double>(0.4f);  // taken as the single 0.4

// The feed word that ends a line of a turn.
std::string feedTail(std::int64_t feed) {
    return " F" + FormatInteger(feed) + "\r\n";
}

std::string fieldMessage(const char* label) {
    return std::string("Проверьте поле «") + label +
           "»: с таким значением станок получил бы недопустимую координату. "
           "Секция не намотана, на станок ничего не отправлено.";
}

bool unusable(float value) {
    return !std::isfinite(value) || value == 0.0f;
}

}  // namespace

SectionGeometry computeSectionGeometry(const CommonParameters& p) {
    SectionGeometry g;
    const double h = p.coreHeight, l = p.commutatorDistance;
    g.yStart = RoundToInt32(yStartTarget(p.commutatorDistance));
    g.yEnd = RoundToInt32(h + l - 6.0);
    g.dipDepth = StoreReal(-(static_cast<double>(p.slotDepth) * kDipFraction));
    const float ratio = StoreReal(static_cast<double>(p.slotWidth) / p.coreDiameter);
    g.slotHalfAngle = SingleDegrees(SingleAtan(ratio));
    const double throwAngle =
        360.0 / static_cast<double>(p.slots) * p.poles + static_cast<double>(g.slotHalfAngle);
    g.eStart = p.anticlockwise ? -g.slotHalfAngle : g.slotHalfAngle;
    g.eThrow = StoreReal(p.anticlockwise ? throwAngle : -throwAngle);
    return g;
}

std::optional<std::string> sectionRefusal(const CommonParameters& p, float rotationBefore,
                                          float rotationAfter) {
    const double h = p.coreHeight, l = p.commutatorDistance;
    if (!sendableNumber(yStartTarget(p.commutatorDistance)))
        return fieldMessage("РАССТОЯНИЕ ДО КОЛЛЕКТОРА");
    if (!sendableNumber(h + l - 6.0)) {
        return fieldMessage(std::isfinite(p.coreHeight) ? "РАССТОЯНИЕ ДО КОЛЛЕКТОРА"
                                                        : "ВЫСОТА МАГНИТОПРОВОДА");
    }
    const SectionGeometry g = computeSectionGeometry(p);
    if (!sendableNumber(g.dipDepth)) return fieldMessage("ГЛУБИНА ПАЗА");
    if (!sendableNumber(g.eStart)) {
        return fieldMessage(unusable(p.coreDiameter) ? "ДИАМЕТР МАГНИТОПРОВОДА" : "ШИРИНА ПАЗА");
    }
    if (!sendableNumber(g.eThrow)) {
        return fieldMessage(unusable(p.slots) ? "КОЛИЧЕСТВО ПАЗОВ" : "КОЛИЧЕСТВО ПОЛЮСОВ В СЕКЦИИ");
    }
    if (!sendableNumber(rotationBefore)) return fieldMessage("ПОВОРОТ ДО НАМОТКИ (°)");
    if (!sendableNumber(rotationAfter)) return fieldMessage("ПОВОРОТ ПОСЛЕ НАМОТКИ (°)");
    return std::nullopt;
}

WindingCycles::WindingCycles(const WindingForm& form, CycleView& view, LineSender& sender,
                             RunControl& run, TrackedPosition& position, SectionLayout& layout,
                             SpeedValues& speeds)
    : form_(form),
      view_(view),
      sender_(sender),
      run_(run),
      position_(position),
      layout_(layout),
      speeds_(speeds) {}

void WindingCycles::windSection(int k) {
    const Start start = startOrContinue(k, readTurns(form_, k));
    if (start == Start::Nothing) {
        view_.enableSectionButtons(true);
        return;
    }
    SectionReads reads;
    CyclePoint from;
    if (start == Start::Continue) {
        reads = stopped(k)->reads;
        from = stopped(k)->at;
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
    layout_.lastWoundSection = 0;
    if (start == Start::Anew) {
        view_.showCycleProgress(0);
        const int speed = readWindingSpeed(form_);
        speeds_.accelStart = LowBits32(static_cast<std::int64_t>(speed) * 300);
        speeds_.accelRun = LowBits32(static_cast<std::int64_t>(speed) * 1200);
    }
    // A second СТОП on the way back leaves the cycle where it stopped the first time.
    if (start == Start::Anew || returnToStop(*stopped(k))) runSection(k, std::move(reads), from);
    layout_.lastWoundSection = k;
    view_.enableSectionButtons(true);
}

void WindingCycles::runSection(int k, SectionReads reads, CyclePoint from) {
    const SectionGeometry g = computeSectionGeometry(reads.parameters);
    begin(k, from);
    if (from.phase == CyclePoint::Phase::Approach) approach(g, reads);
    if (!halted_ && from.phase != CyclePoint::Phase::Departure)
        windTurns(k, g, reads, from.phase == CyclePoint::Phase::Turns ? from.turn : 1);
    if (!halted_) depart(g);
    finish(k, reads);
    // A stopped section's bars keep the share it reached.
    if (!halted_) view_.showCycleProgress(0);
}

// To the start of the stroke at fixed feeds, down to the dip, turned by the rotation before
// winding, which becomes the zero of the section.
void WindingCycles::approach(const SectionGeometry& g, SectionReads& reads) {
    enter(CyclePoint::Phase::Approach, 0);
    if (line("G92 E0\r\n")) position_.rotation = 0;
    line("M201 Y" + FormatInteger(speeds_.accelStart) + "\r\n");
    move(&TrackedPosition::length, "G0 Y", g.yStart, " F15000\r\n");
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, " F15000\r\n");
    // Read only now, as the operator may still be typing it.
    if (!halted_ && !reads.rotationBefore) reads.rotationBefore = readRotationBefore(form_);
    move(&TrackedPosition::rotation, "G0 E", reads.rotationBefore.value_or(0.0f), " F15000\r\n");
    if (line("G0 Z0 F15000\r\n")) position_.height = 0;
    if (line("G92 E0\r\n")) position_.rotation = 0;
}

void WindingCycles::windTurns(int k, const SectionGeometry& g, SectionReads& reads,
                              std::int64_t firstTurn) {
    if (!reads.turns) reads.turns = readTurns(form_, k);
    const std::int32_t turns = *reads.turns;
    // 64-bit counting: a count near the 32-bit limit neither overflows nor shows wrong progress.
    for (std::int64_t i = firstTurn; i <= turns; ++i) {
        if (passOver_ == 0 && sender_.stopped()) {
            // СТОП came in the last line of the turn before: this one is not begun.
            at_ = {CyclePoint::Phase::Turns, i, 0};
            halted_ = true;
            return;
        }
        if (!sender_.sending()) {
            // No controller: counting through billions of turns would freeze the window for
            // minutes to the same end.
            skipToTheLastTurn(k, g);
            return;
        }
        setProgress(k, static_cast<std::int32_t>(i * 100 / turns));
        windTurn(g, i, i == turns);
        if (halted_) return;
    }
}

// The speed is read at every turn, so the operator can change it while winding.
void WindingCycles::setTurnFeeds() {
    const int speed = readWindingSpeed(form_);
    speeds_.feedE = LowBits32(static_cast<std::int64_t>(speed) * 22000);
    speeds_.feedYZ = LowBits32(static_cast<std::int64_t>(speed) * 12000);
}

// One turn: out along the core, across by the span, back; the last turn stays in the slot.
void WindingCycles::windTurn(const SectionGeometry& g, std::int64_t turn, bool last) {
    // A turn begun before a stop goes on at the speed it was begun with.
    if (passOver_ == 0) setTurnFeeds();
    enter(CyclePoint::Phase::Turns, turn);
    const std::string feedE = feedTail(speeds_.feedE);
    const std::string feedYZ = feedTail(speeds_.feedYZ);
    if (turn == 1) line("M201 Y" + FormatInteger(speeds_.accelStart) + "\r\n");
    if (turn == 2) line("M201 Y" + FormatInteger(speeds_.accelRun) + "\r\n");

    if (move(&TrackedPosition::rotation, "G0 Z0 E", g.eStart, feedE)) position_.height = 0;
    move(&TrackedPosition::length, "G0 Y", g.yEnd, feedYZ);
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, feedYZ);
    move(&TrackedPosition::rotation, "G0 E", g.eThrow, feedE);
    if (line("G0 Z0" + feedYZ)) position_.height = 0;
    move(&TrackedPosition::length, "G0 Y", g.yStart, feedYZ);
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, feedYZ);
    if (last) return;
    if (line("G0 E0" + feedE)) position_.rotation = 0;
    if (line("G0 Z0" + feedYZ)) position_.height = 0;
}

// What the turns left would leave behind: full bars, the last turn's feeds and the length at
// the end of its stroke (the departure sets the height and the rotation).
void WindingCycles::skipToTheLastTurn(int k, const SectionGeometry& g) {
    setProgress(k, 100);
    setTurnFeeds();
    position_.length = static_cast<float>(g.yStart);
}

// Down to the dip at the last feed, turned by the rotation after winding, up to height 15.
void WindingCycles::depart(const SectionGeometry& g) {
    enter(CyclePoint::Phase::Departure, 0);
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, feedTail(speeds_.feedYZ));
    const float after = halted_ ? 0.0f : readRotationAfter(form_);
    move(&TrackedPosition::rotation, "G0 E", after, " F15000\r\n");
    if (line("G0 Z15 F15000\r\n")) position_.height = 15;
}

}  // namespace tarvel
