#include "plan/plan_work.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "motion/motion_model.h"
#include "numtext/numtext.h"
#include "plan/plan_report.h"
#include "program/program_in_memory.h"
#include "ui/control_table.h"
#include "winding/parameters.h"

namespace tarvel::plan {
namespace {

constexpr const char* kProfileName = "profile.tpf";

std::string readingOf(const std::string& text, std::optional<Parameter> parameter) {
    // The common turns are copied into the sections by typing; the work reads each section's.
    if (!parameter) return "(по секциям)";
    // At most two decimals, as every length and angle of the plan.
    const std::string real = shortNumber(ParseReal(text));
    const std::string integer = FormatInteger(ParseInteger(text));
    switch (tarvel::readingOf(*parameter)) {
        case Reading::Real:
            return real;
        case Reading::Integer:
            return integer;
        case Reading::Both:
            return real == integer ? real : real + " / " + integer;
    }
    return real;
}

// The values as the work reads them, and the rows of the parameter panel that it reads: those of
// the cycles' parameters and the common turns.
void readValues(const Window& window, const WindingForm& form, Plan& plan) {
    plan.parameters = readCommonParameters(form);
    plan.geometry = computeSectionGeometry(plan.parameters);
    plan.rotationBefore = readRotationBefore(form);
    plan.rotationAfter = readRotationAfter(form);
    plan.bars = readBarCount(form);
    plan.direction = readInteger(form, Parameter::Direction);
    plan.layingOrder = readInteger(form, Parameter::LayingOrder);
    plan.slots = readInteger(form, Parameter::SlotCount);
    for (int k = 1; k <= kSections; ++k)
        plan.turns[k - 1] = readTurns(form, k);
    plan.speed = readWindingSpeed(form);
    plan.power = readStakingPower(form);
    for (const ParameterRow& row : parameterRows()) {
        const std::optional<Parameter> parameter = parameterOf(row.field);
        if (!parameter && row.field != ctl::kTurns) continue;
        const std::string text = window.text(row.field);
        plan.fields.push_back({specOf(row.label).caption, text, readingOf(text, parameter)});
    }
}

// The operator of the work: presses one button and lets the program run until it is idle
// again; false once the program has told the operator something (a refusal).
class Operator {
  public:
    Operator(ProgramInMemory& program, Plan& plan) : program_(program), plan_(plan) {}

    bool press(ControlId button, Step step) {
        plan_.steps.push_back(std::move(step));
        program_.window.click(button);
        program_.runUntilIdle();
        const std::vector<std::string>& faults = program_.window.faults;
        plan_.faults.insert(plan_.faults.end(), faults.begin(), faults.end());
        if (!plan_.faults.empty()) return false;
        if (program_.window.messages.empty()) return true;
        plan_.messages = program_.window.messages;
        return false;
    }
    Step& current() { return plan_.steps.back(); }

  private:
    ProgramInMemory& program_;
    Plan& plan_;
};

}  // namespace

std::int64_t Plan::lines() const {
    return std::accumulate(steps.begin(), steps.end(), std::int64_t{0},
                           [](std::int64_t n, const Step& s) { return n + s.lines; });
}

double Plan::seconds() const {
    return std::accumulate(steps.begin(), steps.end(), 0.0,
                           [](double t, const Step& s) { return t + s.seconds; });
}

namespace {

bool sameWork(const Step& a, const Step& b) {
    return a.kind == b.kind && a.section == b.section && a.turns == b.turns && a.lines == b.lines &&
           a.shown == b.shown && std::llround(a.seconds * 1000) == std::llround(b.seconds * 1000);
}

bool sameSlots(const std::vector<const Step*>& a, const std::vector<const Step*>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Step* x, const Step* y) { return sameWork(*x, *y); });
}

}  // namespace

std::vector<SlotGroup> slotGroups(const Plan& plan) {
    std::vector<SlotGroup> groups;
    std::vector<const Step*> slot;
    const auto close = [&](int number) {
        if (groups.empty() || groups.back().lastSlot != number - 1 ||
            !sameSlots(groups.back().steps, slot))
            groups.push_back({number, number, slot});
        SlotGroup& group = groups.back();
        group.lastSlot = number;
        for (const Step* s : slot) {
            group.lines += s->lines;
            group.seconds += s->seconds;
        }
        slot.clear();
    };
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const Step& s = plan.steps[i];
        if (s.kind != Step::Kind::Section && s.kind != Step::Kind::Next) continue;
        slot.push_back(&s);
        const bool last = i + 1 == plan.steps.size() || plan.steps[i + 1].slot != s.slot;
        if (last) close(s.slot);
    }
    return groups;
}

const Step* stepOf(const Plan& plan, Step::Kind kind) {
    for (const Step& s : plan.steps)
        if (s.kind == kind) return &s;
    return nullptr;
}

Plan planWork(std::string_view profileBytes, const Options& options,
              const std::function<void(std::string_view)>& line) {
    Plan plan;
    ProgramInMemory program;
    Operator op(program, plan);
    motion::Machine machine;
    // The lines before the work's first button are the connection's: not part of the work.
    program.port.devices["COM1"] =
        memory::controller(memory::controllerIdentification(), [&](const std::string& text) {
            if (plan.steps.empty()) return;
            Step& step = op.current();
            ++step.lines;
            step.seconds += machine.apply(text).seconds;
            if (step.kind == Step::Kind::Next) step.shown.push_back(text);
            if (line) line(text);
        });
    memory::MemoryWindow& window = program.window;
    window.keepLogs = false;
    window.clock = &program.clock;
    program.files.files[kProfileName] = memory::MemoryFile{std::string(profileBytes)};

    // As after a connection: the controller found, the position declared zero.
    if (!program.app.startUp() || !program.app.profile().loadProfileFrom(kProfileName)) {
        plan.messages = window.messages;
        return plan;
    }
    if (options.speed) window.setState(ctl::kWindingSpeed, *options.speed);
    window.setState(ctl::kStakingPower, options.power);
    readValues(window, program.app.views(), plan);

    if (!op.press(ctl::kStartPosition, {})) return plan;
    plan.sectionCount = program.app.layout().sectionCount;
    plan.slotPitch = program.app.layout().slotPitch;
    if (plan.slots > kMostSlots) {
        plan.messages.push_back("Проверьте поле «КОЛИЧЕСТВО ПАЗОВ»: пазов больше " +
                                std::to_string(kMostSlots) + ", работа не рассчитана.");
        return plan;
    }
    // Without a number of slots the first section shows what the program says of it.
    const std::int64_t slots = std::max<std::int64_t>(plan.slots, 1);
    for (int slot = 1; slot <= slots; ++slot) {
        for (int k = 1; k <= plan.sectionCount; ++k) {
            Step section{Step::Kind::Section, slot, k, readTurns(program.app.views(), k)};
            if (!op.press(ctl::sectionButton(k), std::move(section))) return plan;
        }
        if (!op.press(ctl::kNext, {Step::Kind::Next, slot})) return plan;
    }
    op.press(ctl::kStake, {Step::Kind::Staking});
    return plan;
}

}  // namespace tarvel::plan
