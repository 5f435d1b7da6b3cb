#include "winding/section_cycle.h"

#include <algorithm>
#include <cmath>

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

void WindingCycles::setProgress(int section, std::int32_t percent) {
    view_.showCycleProgress(percent);
    view_.showSectionProgress(section, percent);
}

void WindingCycles::move(float TrackedPosition::*axis, std::string_view head, double target,
                         std::string_view tail) {
    position_.*axis = StoreReal(target);
    sender_.sendMove(head, target, tail);
}

void WindingCycles::windSection(int k) {
    const CommonParameters p = readCommonParameters(form_);
    // Nothing may reach the machine that sends it to the end of its travel.
    if (auto refusal = sectionRefusal(p, readRotationBefore(form_), readRotationAfter(form_))) {
        view_.tell(*refusal);
        view_.enableSectionButtons(true);
        return;
    }

    view_.showCycleProgress(0);
    run_.startCycle();
    layout_.lastWoundSection = 0;
    const SectionGeometry g = computeSectionGeometry(p);
    const int speed = readWindingSpeed(form_);
    speeds_.accelStart = LowBits32(static_cast<std::int64_t>(speed) * 300);
    speeds_.accelRun = LowBits32(static_cast<std::int64_t>(speed) * 1200);

    approach(g);
    const std::int32_t turns = readTurns(form_, k);
    // 64-bit counting: a count near the 32-bit limit neither overflows nor shows wrong progress.
    for (std::int64_t i = 1; i <= turns; ++i) {
        if (!sender_.sending()) {
            // Every further line would be skipped (СТОП, or no controller): counting through
            // billions of turns would freeze the window for minutes to the same end.
            skipToTheLastTurn(k, g);
            break;
        }
        setProgress(k, static_cast<std::int32_t>(i * 100 / turns));
        windTurn(g, i, i == turns);
    }
    depart(g);

    layout_.lastWoundSection = k;
    view_.enableSectionButtons(true);
    view_.showCycleProgress(0);
}

// To the start of the stroke at fixed feeds, down to the dip, turned by the rotation before
// winding, which becomes the zero of the section.
void WindingCycles::approach(const SectionGeometry& g) {
    TrackedPosition& at = position_;
    at.rotation = 0;
    send("G92 E0\r\n");
    send("M201 Y" + FormatInteger(speeds_.accelStart) + "\r\n");
    move(&TrackedPosition::length, "G0 Y", g.yStart, " F15000\r\n");
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, " F15000\r\n");
    // Read only now, as the operator may still be typing it.
    move(&TrackedPosition::rotation, "G0 E", readRotationBefore(form_), " F15000\r\n");
    at.height = 0;
    send("G0 Z0 F15000\r\n");
    at.rotation = 0;
    send("G92 E0\r\n");
}

// One turn: out along the core, across by the span, back; the last turn stays in the slot.
// The speed is read at every turn, so the operator can change it while winding.
void WindingCycles::setTurnFeeds() {
    const int speed = readWindingSpeed(form_);
    speeds_.feedE = LowBits32(static_cast<std::int64_t>(speed) * 22000);
    speeds_.feedYZ = LowBits32(static_cast<std::int64_t>(speed) * 12000);
}

void WindingCycles::windTurn(const SectionGeometry& g, std::int64_t turn, bool last) {
    setTurnFeeds();
    const std::string feedE = feedTail(speeds_.feedE);
    const std::string feedYZ = feedTail(speeds_.feedYZ);
    if (turn == 1) send("M201 Y" + FormatInteger(speeds_.accelStart) + "\r\n");
    if (turn == 2) send("M201 Y" + FormatInteger(speeds_.accelRun) + "\r\n");

    TrackedPosition& at = position_;
    at.height = 0;
    move(&TrackedPosition::rotation, "G0 Z0 E", g.eStart, feedE);
    move(&TrackedPosition::length, "G0 Y", g.yEnd, feedYZ);
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, feedYZ);
    move(&TrackedPosition::rotation, "G0 E", g.eThrow, feedE);
    at.height = 0;
    send("G0 Z0" + feedYZ);
    move(&TrackedPosition::length, "G0 Y", g.yStart, feedYZ);
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, feedYZ);
    if (last) return;
    at.rotation = 0;
    send("G0 E0" + feedE);
    at.height = 0;
    send("G0 Z0" + feedYZ);
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
    move(&TrackedPosition::height, "G0 Z", g.dipDepth, feedTail(speeds_.feedYZ));
    move(&TrackedPosition::rotation, "G0 E", readRotationAfter(form_), " F15000\r\n");
    position_.height = 15;
    send("G0 Z15 F15000\r\n");
}

void WindingCycles::stakeCommutator() {
    if (readBarCount(form_) <= 0) return;
    TrackedPosition& at = position_;
    at.rotation = 0;
    at.height = 0;
    send("G92 Z0 E0 \r\n");
    at.height = 20;
    send("G0 Z20 F5000\r\n");
    // The bar count is read again at every pass: the operator may change it while staking.
    for (std::int64_t i = 1; i <= LowBits32(readBarCount(form_)); ++i) {
        // Nothing more goes out: straight to the last pass, which leaves the tracked position.
        if (!sender_.sending()) i = std::max(i, std::int64_t{LowBits32(readBarCount(form_))});
        if (!strike(i)) break;
    }
}

bool WindingCycles::strike(std::int64_t pass) {
    send("G0 Z0 F" + FormatInteger(std::int64_t{3000} * readStakingPower(form_)) + "\r\n");
    send("G04 X0.1\r\n");
    position_.height = 20;
    send("G0 Z20 F12000\r\n");
    const std::int64_t bars = readBarCount(form_);
    // The bar field emptied during the run: no angle to turn to.
    if (bars <= 0) return false;
    const float angle = StoreReal(static_cast<double>(pass) * (360.0 / static_cast<double>(bars)));
    position_.rotation = angle;
    sender_.sendMove("G0 E", angle, " F120000\r\n", NumberForm::Real);
    return true;
}

}  // namespace tarvel
