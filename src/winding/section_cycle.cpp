#include "winding/section_cycle.h"

#include <cmath>

#include "numtext/reals.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

constexpr double kDipFraction = static_cast<double>(0.4f);  // taken as the single 0.4
constexpr int kFirstSectionButton = ctl::kSection1;

// The integer text form of a real target, as every word of the cycles carries it.
std::string word(float value) {
    return FormatInteger(RoundToInt64(value));
}
std::string word(std::int64_t value) {
    return FormatInteger(value);
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
    if (!sendableTarget(yStartTarget(p.commutatorDistance)))
        return fieldMessage("РАССТОЯНИЕ ДО КОЛЛЕКТОРА");
    if (!sendableTarget(h + l - 6.0)) {
        return fieldMessage(std::isfinite(p.coreHeight) ? "РАССТОЯНИЕ ДО КОЛЛЕКТОРА"
                                                        : "ВЫСОТА МАГНИТОПРОВОДА");
    }
    const SectionGeometry g = computeSectionGeometry(p);
    if (!sendableTarget(g.dipDepth)) return fieldMessage("ГЛУБИНА ПАЗА");
    if (!sendableTarget(g.eStart)) {
        return fieldMessage(unusable(p.coreDiameter) ? "ДИАМЕТР МАГНИТОПРОВОДА" : "ШИРИНА ПАЗА");
    }
    if (!sendableTarget(g.eThrow)) {
        return fieldMessage(unusable(p.slots) ? "КОЛИЧЕСТВО ПАЗОВ" : "КОЛИЧЕСТВО ПОЛЮСОВ В СЕКЦИИ");
    }
    if (!sendableTarget(rotationBefore)) return fieldMessage("ПОВОРОТ ДО НАМОТКИ (°)");
    if (!sendableTarget(rotationAfter)) return fieldMessage("ПОВОРОТ ПОСЛЕ НАМОТКИ (°)");
    return std::nullopt;
}

WindingCycles::WindingCycles(Window& window, CommandExchange& exchange, ProgramState& state)
    : window_(window), exchange_(exchange), state_(state) {}

void WindingCycles::setProgress(int section, std::int32_t percent) {
    window_.setState(ctl::kCycleProgress, percent);
    window_.setState(ctl::kSectionProgress1 + section - 1, percent);
}

void WindingCycles::windSection(int k) {
    auto enableSectionButtons = [this] {
        for (int i = 0; i < 4; ++i)
            window_.enable(kFirstSectionButton + i, true);
    };
    const CommonParameters p = readCommonParameters(window_);
    // Nothing may reach the machine that sends it to the end of its travel.
    if (auto refusal = sectionRefusal(p, readRotationBefore(window_), readRotationAfter(window_))) {
        window_.showMessage(*refusal);
        enableSectionButtons();
        return;
    }

    window_.setState(ctl::kCycleProgress, 0);
    state_.stopRequested = false;
    state_.paused = false;
    state_.lastWoundSection = 0;
    const SectionGeometry g = computeSectionGeometry(p);
    TrackedPosition& at = state_.position;

    const int speed = readWindingSpeed(window_);
    state_.accelStart = LowBits32(static_cast<std::int64_t>(speed) * 300);
    state_.accelRun = LowBits32(static_cast<std::int64_t>(speed) * 1200);

    // Approach, at fixed feeds.
    at.rotation = 0;
    send("G92 E0\r\n");
    send("M201 Y" + word(std::int64_t{state_.accelStart}) + "\r\n");
    at.length = static_cast<float>(g.yStart);
    send("G0 Y" + word(std::int64_t{g.yStart}) + " F15000\r\n");
    at.height = g.dipDepth;
    send("G0 Z" + word(g.dipDepth) + " F15000\r\n");
    // Read only now, as the operator may still be typing it: checked again.
    const float before = readRotationBefore(window_);
    at.rotation = before;
    if (sendableTarget(before)) send("G0 E" + word(before) + " F15000\r\n");
    at.height = 0;
    send("G0 Z0 F15000\r\n");
    at.rotation = 0;
    send("G92 E0\r\n");  // the angle reached is the zero of the section

    const std::int32_t turns = readTurns(window_, k);
    // 64-bit counting: a count near the 32-bit limit neither overflows nor shows wrong progress.
    for (std::int64_t i = 1; i <= turns; ++i) {
        setProgress(k, static_cast<std::int32_t>(i * 100 / turns));
        const int turnSpeed = readWindingSpeed(window_);
        state_.feedE = LowBits32(static_cast<std::int64_t>(turnSpeed) * 22000);
        state_.feedYZ = LowBits32(static_cast<std::int64_t>(turnSpeed) * 12000);
        const std::string feedE = " F" + word(std::int64_t{state_.feedE}) + "\r\n";
        const std::string feedYZ = " F" + word(std::int64_t{state_.feedYZ}) + "\r\n";
        if (i == 1) send("M201 Y" + word(std::int64_t{state_.accelStart}) + "\r\n");
        if (i == 2) send("M201 Y" + word(std::int64_t{state_.accelRun}) + "\r\n");
        at.height = 0;
        at.rotation = g.eStart;
        send("G0 Z0 E" + word(g.eStart) + feedE);
        at.length = static_cast<float>(g.yEnd);
        send("G0 Y" + word(std::int64_t{g.yEnd}) + feedYZ);
        at.height = g.dipDepth;
        send("G0 Z" + word(g.dipDepth) + feedYZ);
        at.rotation = g.eThrow;
        send("G0 E" + word(g.eThrow) + feedE);
        at.height = 0;
        send("G0 Z0" + feedYZ);
        at.length = static_cast<float>(g.yStart);
        send("G0 Y" + word(std::int64_t{g.yStart}) + feedYZ);
        at.height = g.dipDepth;
        send("G0 Z" + word(g.dipDepth) + feedYZ);
        if (i < turns) {
            at.rotation = 0;
            send("G0 E0" + feedE);
            at.height = 0;
            send("G0 Z0" + feedYZ);
        }
    }

    // Departure.
    at.height = g.dipDepth;
    send("G0 Z" + word(g.dipDepth) + " F" + word(std::int64_t{state_.feedYZ}) + "\r\n");
    const float after = readRotationAfter(window_);
    at.rotation = after;
    if (sendableTarget(after)) send("G0 E" + word(after) + " F15000\r\n");
    at.height = 15;
    send("G0 Z15 F15000\r\n");

    state_.lastWoundSection = k;
    enableSectionButtons();
    window_.setState(ctl::kCycleProgress, 0);
}

void WindingCycles::stakeCommutator() {
    if (readBarCount(window_) <= 0) return;
    TrackedPosition& at = state_.position;
    at.rotation = 0;
    at.height = 0;
    send("G92 Z0 E0 \r\n");
    at.height = 20;
    send("G0 Z20 F5000\r\n");
    for (std::int64_t i = 1; i <= LowBits32(readBarCount(window_)); ++i) {
        const std::int64_t feed = std::int64_t{3000} * readStakingPower(window_);
        send("G0 Z0 F" + word(feed) + "\r\n");
        send("G04 X0.1\r\n");
        at.height = 20;
        send("G0 Z20 F12000\r\n");
        const std::int64_t bars = readBarCount(window_);
        // The bar field emptied during the run: no angle to turn to.
        if (bars <= 0) break;
        const float angle = StoreReal(static_cast<double>(i) * (360.0 / static_cast<double>(bars)));
        at.rotation = angle;
        send("G0 E" + FormatReal(angle) + " F120000\r\n");
    }
}

}  // namespace tarvel
