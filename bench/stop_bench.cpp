// What СТОП leaves the machine to do, against the practice controller inside the program (its
// queue of 15 moves carried out at the motion model's pace, by the program's own clock, so every
// figure is exact and repeatable): a 20-turn section of the worked example at winding speeds 1, 8
// and 10, wound whole (how long the machine takes for it), and stopped at 19 moments spread over
// it (how long the machine moves on after the press: median and longest).
// Run after scripts/build:  build/native/stop-bench
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/app.h"
#include "memory/memory_files.h"
#include "memory/memory_power.h"
#include "memory/memory_window.h"
#include "practice/practice_port.h"
#include "ui/control_table.h"

namespace {

using namespace tarvel;

constexpr std::pair<ControlId, const char*> kWorkedExample[] = {
    {ctl::kCoreHeight, "40"},         {ctl::kCoreDiameter, "50"}, {ctl::kSlotCount, "12"},
    {ctl::kSlotDepth, "10"},          {ctl::kSlotWidth, "5"},     {ctl::kPoles, "5"},
    {ctl::kCommutatorDistance, "10"}, {ctl::kDirection, "0"},     {ctl::kSectionTurns1, "20"}};

// The program with the practice controller, started, the start position taken and reached.
struct Rig {
    memory::MemoryClock clock;
    memory::MemoryWindow window;
    practice::PracticePort port;
    memory::MemoryPower power;
    memory::MemoryFiles files;
    memory::MemoryFileDialogs dialogs;
    App app{window, port, clock, power, files, dialogs};

    Rig(int speed, const controller::BoardSettings& board) : port(clock, board) {
        window.clock = &clock;
        window.closeWhenIdle = false;
        window.hangGuard = 0;
        app.startUp();
        for (const auto& [id, text] : kWorkedExample)
            window.setText(id, text);
        window.setState(ctl::kWindingSpeed, speed);
        press(ctl::kStartPosition);
        untilAtRest();
    }
    void press(ControlId id) {
        window.click(id);
        while (!window.scriptDone())
            app.mainLoopPass();
        app.mainLoopPass();
    }
    std::int64_t untilAtRest() {
        while (port.machine().moving)
            clock.now += 1;
        return clock.now;
    }
};

// Milliseconds the machine takes for the whole section, from the press.
std::int64_t sectionMs(int speed, const controller::BoardSettings& board) {
    Rig rig(speed, board);
    const std::int64_t start = rig.clock.now;
    rig.press(ctl::kSection1);
    rig.untilAtRest();
    return rig.port.machine().restsAtUs / 1000 - start;
}

// Milliseconds the machine moves on after СТОП pressed `afterMs` into the section: the press
// comes when the operator makes it, whatever the program is waiting for then.
std::int64_t runOnMs(int speed, std::int64_t afterMs, const controller::BoardSettings& board) {
    Rig rig(speed, board);
    const std::int64_t stopAt = rig.clock.now + afterMs;
    rig.window.clickAt(stopAt, ctl::kStop);
    rig.press(ctl::kSection1);
    rig.untilAtRest();
    // By the controller's own account: the program's waits may have carried the clock past it.
    return std::max<std::int64_t>(0, rig.port.machine().restsAtUs / 1000 - stopAt);
}

}  // namespace

// A board whose stored settings are lower than the motion model's constants: a third of its
// feeds and accelerations.
controller::BoardSettings slowBoard() {
    controller::BoardSettings board;
    board.limits.maxSpeed = {100, 100, 1333};
    board.limits.maxAcceleration = {1000, 1000, 1000};
    board.limits.printAcceleration = board.limits.retractAcceleration =
        board.limits.travelAcceleration = 1000;
    return board;
}

int main() {
    for (const auto& [name, board] :
         {std::pair{"the model's own limits", controller::BoardSettings{}},
          std::pair{"its settings at a third of the model's", slowBoard()}}) {
        std::printf("20-turn section of the worked example, practice controller in memory, %s\n",
                    name);
        std::printf("speed  section, s  run-on after СТОП, ms: median  longest  (19 presses)\n");
        for (int speed : {1, 8, 10}) {
            const std::int64_t whole = sectionMs(speed, board);
            std::vector<std::int64_t> runOns;
            for (int i = 1; i < 20; ++i)
                runOns.push_back(runOnMs(speed, whole * i / 20, board));
            std::sort(runOns.begin(), runOns.end());
            std::printf("%5d  %10.3f  %34lld  %7lld\n", speed, static_cast<double>(whole) / 1000,
                        static_cast<long long>(runOns[runOns.size() / 2]),
                        static_cast<long long>(runOns.back()));
        }
    }
    return 0;
}
