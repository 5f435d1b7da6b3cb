#include "winding/section_program.h"

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

SectionProgram::SectionProgram(const WindingForm& form, int section, SectionReads& reads,
                               SpeedValues& speeds)
    : form_(form),
      section_(section),
      reads_(reads),
      speeds_(speeds),
      g_(computeSectionGeometry(reads.parameters)) {}

bool SectionProgram::make(std::int64_t n, Block& block) {
    // The turns between the second and the last are alike: one is made from the one before.
    if (n > 2 && sameAsTheTurnBefore(n - 1, block)) return true;
    block.clear();
    if (n == 0) {
        toTheDip(block);
    } else if (n == 1) {
        turnBeforeWinding(block);
    } else {
        const std::int64_t i = n - 1;  // turn i, then the departure
        const std::int64_t turnCount = std::max(turns(), 0);
        if (i <= turnCount) {
            turn(i, block);
        } else if (i == turnCount + 1) {
            descent(block);
        } else if (i == turnCount + 2) {
            departure(block);
        } else {
            return false;
        }
    }
    return true;
}

bool SectionProgram::sameAsTheTurnBefore(std::int64_t i, Block& block) const {
    const bool between =
        block.phase == Block::Phase::Turns && block.turn == i - 1 && i > 3 && i < *reads_.turns;
    if (!between) return false;
    const Feeds feeds = turnFeeds();
    if (block.feedE != feeds.e || block.feedYZ != feeds.yz) return false;
    block.turn = i;
    block.progress = turnProgress(i);
    return true;
}

std::int64_t SectionProgram::dryRunFrom(std::int64_t n) {
    // Only the last turn leaves anything behind: the bars full, its feeds, the end of its stroke.
    const std::int64_t turnCount = n >= 2 ? turns() : 0;
    return n >= 2 && n - 1 < turnCount ? turnCount + 1 : n;
}

void SectionProgram::begun(const Block& block) {
    // A turn begun before a stop goes on at the speed it was begun with.
    if (block.feedE) speeds_.feedE = *block.feedE;
    if (block.feedYZ) speeds_.feedYZ = *block.feedYZ;
}

SectionProgram::Feeds SectionProgram::turnFeeds() const {
    const int speed = readWindingSpeed(form_);
    return {LowBits32(static_cast<std::int64_t>(speed) * 22000),
            LowBits32(static_cast<std::int64_t>(speed) * 12000)};
}

std::int32_t SectionProgram::turnProgress(std::int64_t i) const {
    // 64-bit counting: a count near the 32-bit limit neither overflows nor shows wrong progress.
    return static_cast<std::int32_t>(i * 100 / *reads_.turns);
}

std::int32_t SectionProgram::turns() {
    if (!reads_.turns) reads_.turns = readTurns(form_, section_);
    return *reads_.turns;
}

// To the start of the stroke at fixed feeds and down to the dip.
void SectionProgram::toTheDip(Block& block) const {
    block.phase = Block::Phase::Approach;
    block.turn = 0;
    constexpr Pace pace = Pace::WithMachine;
    block.steps.push_back(lineStep("G92 E0\r\n", {.rotation = 0}, pace));
    block.steps.push_back(
        lineStep("M201 Y" + FormatInteger(speeds_.accelStart) + "\r\n", {}, pace));
    block.steps.push_back(
        moveStep("G0 Y", g_.yStart, " F15000\r\n", &TrackedPosition::length, pace));
    block.steps.push_back(
        moveStep("G0 Z", g_.dipDepth, " F15000\r\n", &TrackedPosition::height, pace));
}

// Turned by the rotation before winding, which becomes the zero of the section.
void SectionProgram::turnBeforeWinding(Block& block) {
    block.phase = Block::Phase::Approach;
    block.turn = 0;
    // Read only now, as the operator may still be typing it; kept once read.
    if (!reads_.rotationBefore) reads_.rotationBefore = readRotationBefore(form_);
    constexpr Pace pace = Pace::WithMachine;
    block.steps.push_back(
        moveStep("G0 E", *reads_.rotationBefore, " F15000\r\n", &TrackedPosition::rotation, pace));
    block.steps.push_back(lineStep("G0 Z0 F15000\r\n", {.height = 0}, pace));
    block.steps.push_back(lineStep("G92 E0\r\n", {.rotation = 0}, pace));
}

// One turn: out along the core, across by the span, back; the last turn stays in the slot. The
// speed is read at every turn, so the operator can change it while winding.
void SectionProgram::turn(std::int64_t i, Block& block) {
    block.phase = Block::Phase::Turns;
    block.turn = i;
    block.progress = turnProgress(i);
    const Feeds feeds = turnFeeds();
    block.feedE = feeds.e;
    block.feedYZ = feeds.yz;
    const std::string feedE = feedTail(*block.feedE);
    const std::string feedYZ = feedTail(*block.feedYZ);
    constexpr Pace pace = Pace::WithMachine;
    std::vector<Step>& steps = block.steps;
    if (i == 1)
        steps.push_back(lineStep("M201 Y" + FormatInteger(speeds_.accelStart) + "\r\n", {}, pace));
    if (i == 2)
        steps.push_back(lineStep("M201 Y" + FormatInteger(speeds_.accelRun) + "\r\n", {}, pace));
    steps.push_back(moveStep("G0 Z0 E", g_.eStart, feedE, &TrackedPosition::rotation, pace,
                             NumberForm::Integer, {.height = 0}));
    steps.push_back(moveStep("G0 Y", g_.yEnd, feedYZ, &TrackedPosition::length, pace));
    steps.push_back(moveStep("G0 Z", g_.dipDepth, feedYZ, &TrackedPosition::height, pace));
    steps.push_back(moveStep("G0 E", g_.eThrow, feedE, &TrackedPosition::rotation, pace));
    steps.push_back(lineStep("G0 Z0" + feedYZ, {.height = 0}, pace));
    steps.push_back(moveStep("G0 Y", g_.yStart, feedYZ, &TrackedPosition::length, pace));
    steps.push_back(moveStep("G0 Z", g_.dipDepth, feedYZ, &TrackedPosition::height, pace));
    if (i == *reads_.turns) return;
    steps.push_back(lineStep("G0 E0" + feedE, {.rotation = 0}, pace));
    steps.push_back(lineStep("G0 Z0" + feedYZ, {.height = 0}, pace));
}

// Down to the dip at the last turn's feed (the start values' before any turn).
void SectionProgram::descent(Block& block) const {
    block.phase = Block::Phase::Departure;
    block.turn = 0;
    block.steps.push_back(moveStep("G0 Z", g_.dipDepth, feedTail(speeds_.feedYZ),
                                   &TrackedPosition::height, Pace::WithMachine));
}

// Turned by the rotation after winding, read now, and up to height 15.
void SectionProgram::departure(Block& block) const {
    block.phase = Block::Phase::Departure;
    block.turn = 0;
    constexpr Pace pace = Pace::WithMachine;
    block.steps.push_back(moveStep("G0 E", readRotationAfter(form_), " F15000\r\n",
                                   &TrackedPosition::rotation, pace));
    block.steps.push_back(lineStep("G0 Z15 F15000\r\n", {.height = 15}, pace));
}

}  // namespace tarvel
