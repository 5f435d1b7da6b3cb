#include "fuzz/rig.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/window_ops.h"
#include "program/program_in_memory.h"
#include "ui/control_table.h"

namespace tarvel::rig {
namespace {

// Lines one operation may send before the operator presses СТОП.
constexpr long kLinesBeforeStop = 40;

using Operation = std::function<void(App&)>;

std::vector<Operation> operations() {
    std::vector<Operation> ops;
    for (int k = 1; k <= 4; ++k)
        ops.push_back([k](App& app) { app.cycles().windSection(k); });
    ops.push_back([](App& app) { app.cycles().stakeCommutator(); });
    ops.push_back([](App& app) { app.setup().startPosition(); });
    for (const KeyJog& row : keyJogs())
        ops.push_back([&row](App& app) { app.jogging().jog(row.jog); });
    for (JogButton button : {JogButton::HeightUp, JogButton::HeightDown, JogButton::LengthUp,
                             JogButton::LengthDown, JogButton::RotationDown, JogButton::RotationUp})
        ops.push_back([button](App& app) { app.jogging().jog(buttonJog(button)); });
    for (RotationButton button :
         {RotationButton::To0, RotationButton::ToMinus180, RotationButton::ToMinus360,
          RotationButton::To180, RotationButton::To360, RotationButton::SlotForward,
          RotationButton::SlotBack})
        ops.push_back([button](App& app) { app.jogging().rotate(rotation(button)); });
    for (ZeroAxis axis : {ZeroAxis::Length, ZeroAxis::Height, ZeroAxis::Rotation})
        ops.push_back([axis](App& app) { app.setup().zeroAxis(axis); });
    ops.push_back([](App& app) { app.setup().park(); });
    ops.push_back([](App& app) { app.setup().changeWorkpiece(); });
    ops.push_back([](App& app) { app.setup().nextPosition(); });
    return ops;
}

bool isNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

}  // namespace

std::string unsendableWord(std::string_view line) {
    for (std::string_view word : {"inf", "Inf", "INF", "nan", "NaN", "NAN"})
        if (line.find(word) != std::string_view::npos) return std::string(word);
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] < 'A' || line[i] > 'Z' || !isNumberChar(line[i + 1])) continue;
        std::size_t end = i + 1;
        while (end < line.size() && isNumberChar(line[end]))
            ++end;
        const std::string number(line.substr(i + 1, end - i - 1));
        char* stop = nullptr;
        const double value = std::strtod(number.c_str(), &stop);
        const bool whole = stop == number.c_str() + number.size();
        if (!whole || !std::isfinite(value) || value > 2147483647.0 || value < -2147483647.0)
            return std::string(line.substr(i, end - i));
    }
    return {};
}

void runAll(const Inputs& inputs, Tally& tally) {
    ProgramInMemory program;
    memory::MemoryWindow& window = program.window;
    window.keepLogs = false;
    window.closeWhenIdle = false;
    long lines = 0, linesAtStart = 0;
    program.port.devices["COM1"] = memory::controller({}, [&](const std::string& line) {
        ++lines;
        if (!unsendableWord(line).empty()) {
            ++tally.badLines;
            if (tally.firstBadLine.empty()) tally.firstBadLine = line;
        }
    });
    // The operator presses СТОП once an operation has sent enough, or has kept the machine
    // moving for a minute (a target thousands of kilometres away).
    std::int64_t startedAt = 0;
    window.idleEvent = [&] {
        return lines - linesAtStart >= kLinesBeforeStop || program.clock.now - startedAt > 60'000
                   ? Event::controlEvent(ctl::kStop, ControlEventKind::Clicked)
                   : Event::none();
    };
    App& app = program.app;
    window.create();
    program.port.open("COM1");
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        window.setText(kFields[i], inputs.fields[i]);
    window.setState(ctl::kWindingSpeed, inputs.windingSpeed);
    window.setState(ctl::kStakingPower, inputs.stakingPower);
    updateSectionLayout(window, app.layout());

    static const std::vector<Operation> ops = operations();
    for (const Operation& op : ops) {
        app.runControl().startCycle();
        app.layout().lastWoundSection = inputs.lastWound;
        app.position() = {inputs.position[0], inputs.position[1], inputs.position[2]};
        linesAtStart = lines;
        startedAt = program.clock.now;
        const std::size_t messagesBefore = window.messages.size();
        op(app);
        ++tally.operations;
        if (lines > linesAtStart)
            ++tally.sent;
        else if (window.messages.size() > messagesBefore)
            ++tally.refused;
        else
            ++tally.silent;
    }
    tally.lines += lines;
    // A wait that never ends or a read that would block is a fault of the program, whatever
    // the fields held.
    if (!window.faults.empty()) {
        std::fprintf(stderr, "platform fault: %s\n", window.faults.front().c_str());
        std::abort();
    }
}

}  // namespace tarvel::rig
