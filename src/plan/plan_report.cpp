#include "plan/plan_report.h"

#include <cmath>
#include <cstdio>

#include "motion/motion_model.h"
#include "numtext/numtext.h"

namespace tarvel::plan {
namespace {

std::string padded(std::string_view caption, std::size_t width) {
    std::string text(caption);
    // Cyrillic letters take two bytes: pad by letters, not bytes.
    std::size_t letters = 0;
    for (unsigned char c : text)
        letters += (c & 0xC0) != 0x80;
    if (letters < width) text.append(width - letters, ' ');
    return text;
}

std::string stepLine(const Step& s) {
    std::string text = "строк: " + FormatInteger(s.lines) + ", время: " + formatSeconds(s.seconds);
    switch (s.kind) {
        case Step::Kind::StartPosition:
            return "Установка начальной позиции: " + text;
        case Step::Kind::Section:
            return "  Секция " + FormatInteger(s.section) + ": витков: " + FormatInteger(s.turns) +
                   ", " + text;
        case Step::Kind::Next:
            return "  ДАЛЕЕ: " + nextLines(s) + " (время: " + formatSeconds(s.seconds) + ")";
        case Step::Kind::Staking:
            return "Кернение: " + text;
    }
    return text;
}

std::string minutes(double seconds) {
    const auto whole = static_cast<long long>(std::llround(seconds));
    return FormatInteger(whole / 60) + " мин " + FormatInteger(whole % 60) + " с";
}

void appendValues(const Plan& p, std::string& out) {
    out += "Значения, как их читает программа\n";
    for (const Plan::Field& f : p.fields)
        out += "  " + padded(f.caption, 38) + padded("«" + f.text + "»", 12) + f.reading + "\n";
    out += "  " + padded("Скорость намотки", 38) + FormatInteger(p.speed) + "\n";
    out += "  " + padded("Мощность кернения", 38) + FormatInteger(p.power) + "\n\n";
    for (const std::string& line : geometryLines(p))
        out += line + "\n";
    out += "\n";
}

}  // namespace

std::string shortNumber(double value) {
    if (!std::isfinite(value)) return FormatReal(static_cast<float>(value));
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.') out.pop_back();
    return out == "-0" ? "0" : out;
}

std::string slotsCaption(const SlotGroup& group) {
    if (group.slots() == 1) return "Паз " + FormatInteger(group.firstSlot);
    return "Пазы " + FormatInteger(group.firstSlot) + "–" + FormatInteger(group.lastSlot);
}

std::string minutesAndSeconds(double seconds) {
    const auto whole = static_cast<long long>(std::llround(seconds));
    const std::string s = FormatInteger(whole % 60);
    return FormatInteger(whole / 60) + ":" + (s.size() < 2 ? "0" : "") + s;
}

std::vector<std::string> geometryLines(const Plan& p) {
    const SectionGeometry& g = p.geometry;
    return {"Секций в пазу: " + FormatInteger(p.sectionCount) + "; пазов: " +
                FormatInteger(p.slots) + "; шаг паза: " + shortNumber(p.slotPitch) + "°",
            "Ход по длине: от " + FormatInteger(g.yStart) + " до " + FormatInteger(g.yEnd) +
                " мм; заглубление: " + shortNumber(g.dipDepth) + " мм (глубина паза " +
                shortNumber(p.parameters.slotDepth) + " мм); поворот витка: от " +
                shortNumber(g.eStart) + "° до " + shortNumber(g.eThrow) + "°"};
}

std::string modelNote() {
    return "Модель движения: каждое движение — трапеция от покоя до покоя; ускорение " +
           shortNumber(motion::kAcceleration) +
           " ед/с² (по Y — заданное последним M201 Y, не более " +
           shortNumber(motion::kAcceleration) + "); подача не более " +
           shortNumber(motion::kMaxSpeedYZ) + " мм/с по Y и Z и " +
           shortNumber(motion::kMaxSpeedE) + " °/с по E; очередь контроллера " +
           FormatInteger(motion::kQueueMoves) +
           " движений. Настоящий контроллер сопрягает движения и не медленнее этой оценки.";
}

std::string nextLines(const Step& next) {
    std::string lines;
    for (const std::string& l : next.shown)
        lines += (lines.empty() ? "" : " | ") + l.substr(0, l.find('\r'));
    return lines.empty() ? "ничего не отправлено" : lines;
}

std::string decimalSeconds(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string formatSeconds(double seconds) {
    return decimalSeconds(seconds) + " с";
}

std::vector<std::string> planWarnings(const Plan& p) {
    std::vector<std::string> w;
    if (p.rotationBefore != 0)
        w.push_back(
            "«ПОВОРОТ ДО НАМОТКИ (°)» не 0: ДАЛЕЕ ничего не делает, и все пазы "
            "намотаются на одном и том же месте.");
    if (p.direction != 0 && p.direction != 1)
        w.push_back(
            "«НАПРАВЛЕНИЕ НАМОТКИ» ни 0, ни 1: секции мотаются против часовой стрелки, "
            "а ДАЛЕЕ не доворачивает заготовку.");
    for (int k = 1; k <= p.sectionCount; ++k) {
        if (p.turns[k - 1] <= 0)
            w.push_back("Секция " + FormatInteger(k) + ": витков " + FormatInteger(p.turns[k - 1]) +
                        " — провод не уложится.");
    }
    if (p.slots > 0 && p.bars > 4 * p.slots)
        w.push_back(
            "На паз приходится больше 4 ламелей: программа мотает не больше 4 секций "
            "на паз.");
    if (p.bars <= 0)
        w.push_back("«КОЛИЧЕСТВО ЛАМЕЛЕЙ» не больше 0: кернение не ударит ни одной ламели.");
    return w;
}

std::string planReport(const Plan& p, std::string_view profileName) {
    std::string out = "План работы по профилю «" + std::string(profileName) + "»\n\n";
    appendValues(p, out);
    if (const Step* start = stepOf(p, Step::Kind::StartPosition)) out += stepLine(*start) + "\n";
    for (const SlotGroup& group : slotGroups(p)) {
        out += slotsCaption(group) + (group.slots() > 1 ? ", в каждом:" : "") + "\n";
        for (const Step* s : group.steps)
            out += stepLine(*s) + "\n";
        if (group.slots() > 1)
            out += "  Всего за " + FormatInteger(group.slots()) +
                   " пазов: строк: " + FormatInteger(group.lines) +
                   ", время: " + formatSeconds(group.seconds) + "\n";
    }
    if (const Step* staking = stepOf(p, Step::Kind::Staking)) out += stepLine(*staking) + "\n";
    out += "\nИтого: строк: " + FormatInteger(p.lines()) +
           ", машинное время: " + formatSeconds(p.seconds()) + " (" + minutes(p.seconds()) +
           ")\n\n";
    out += modelNote() + "\n";
    const std::vector<std::string> warnings = planWarnings(p);
    if (!warnings.empty()) {
        out += "\nПредупреждения\n";
        for (const std::string& warning : warnings)
            out += "  - " + warning + "\n";
    }
    return out;
}

}  // namespace tarvel::plan
