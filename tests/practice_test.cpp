// The practice program's controller and machine window: the program finds the controller inside
// it as COM1 and nothing else, the machine keeps the pace the plan gives it, an opening resets
// it, and the machine window shows the machine as it stands, painting only while it moves.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app.h"
#include "memory/memory_files.h"
#include "memory/memory_picture.h"
#include "memory/memory_power.h"
#include "memory/memory_window.h"
#include "plan/plan_work.h"
#include "practice/machine_view.h"
#include "practice/practice_port.h"
#include "profile/profile_file.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using practice::PracticePort;

class PracticeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.clock = &clock;
        window.closeWhenIdle = false;
        ASSERT_TRUE(app.startUp());
    }
    // A wait that never ends fails the test that caused it.
    void TearDown() override { EXPECT_TRUE(window.faults.empty()) << window.faults.front(); }
    void press(ControlId id) {
        window.click(id);
        while (!window.scriptDone())
            app.mainLoopPass();
    }
    // The clock moved on, a millisecond at a time, until the machine rests; when it did.
    std::int64_t untilAtRest() {
        while (port.machine().moving)
            clock.now += 1;
        return clock.now;
    }

    memory::MemoryClock clock;
    memory::MemoryWindow window;
    PracticePort port{clock};
    memory::MemoryPower power;
    memory::MemoryFiles files;
    memory::MemoryFileDialogs dialogs;
    App app{window, port, clock, power, files, dialogs};
};

const std::pair<ControlId, const char*> kWorkedExample[] = {
    {ctl::kCoreHeight, "40"}, {ctl::kCoreDiameter, "50"},       {ctl::kSlotCount, "12"},
    {ctl::kSlotDepth, "10"},  {ctl::kSlotWidth, "5"},           {ctl::kPoles, "5"},
    {ctl::kTurns, "10"},      {ctl::kCommutatorDistance, "10"}, {ctl::kBarCount, "24"},
    {ctl::kDirection, "0"},   {ctl::kSectionTurns1, "10"},      {ctl::kSectionTurns2, "10"}};

TEST_F(PracticeTest, TheControllerInsideIsFoundAsCom1AndAnOpeningResetsIt) {
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен");
    EXPECT_EQ(app.linkState().connectedPort, 1);
    EXPECT_FALSE(PracticePort(clock).open("COM2"));
    press(ctl::kStartPosition);
    EXPECT_TRUE(port.machine().moving);  // to the start of the stroke, 15 up
    EXPECT_NEAR(port.machine().declared.z, 0, 15);
    untilAtRest();
    EXPECT_EQ(port.machine().declared.z, 15);
    // "Обновить" opens the port again: the board starts afresh, where it stands counted 0.
    press(ctl::kJogHeightUp);
    EXPECT_TRUE(port.machine().moving);
    press(ctl::kRefresh);
    EXPECT_FALSE(port.machine().moving);
    EXPECT_EQ(port.machine().travelled.z, 0);
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен");
}

// A section of 10 turns at speed 8 keeps the machine moving for the plan's time of it: the machine
// never waits for the program, and the program is never more than the look-ahead and the move
// it has just sent ahead of it, so СТОП leaves the machine little to do.
TEST_F(PracticeTest, TheMachineKeepsThePaceOfThePlan) {
    for (const auto& [id, text] : kWorkedExample)
        window.setText(id, text);
    window.setState(ctl::kWindingSpeed, 8);
    press(ctl::kStartPosition);
    untilAtRest();
    const std::int64_t start = clock.now;
    press(ctl::kSection1);
    const std::int64_t programDone = clock.now;
    EXPECT_TRUE(port.machine().moving);
    EXPECT_LE(port.machine().queuedMoves, 3u);
    const std::int64_t machineDone = untilAtRest();
    const double machineSeconds = static_cast<double>(machineDone - start) / 1000;

    const plan::Plan plan = plan::planWork(profileText(app.views()), {});
    ASSERT_TRUE(plan.messages.empty());
    const double planned = plan.steps.at(1).seconds;  // slot 1, section 1
    EXPECT_NEAR(machineSeconds, planned, planned * 0.02);
    EXPECT_LT(machineDone - programDone, MachinePace::kLookAheadMs + 500);
}

// A board whose stored settings are lower than the motion model's constants says so in its
// start-up text; the program paces its lines by them, so the machine has no backlog behind the
// look-ahead and stops soon after the program's last line.
class SlowBoardTest : public PracticeTest {
  protected:
    static controller::BoardSettings slow() {
        controller::BoardSettings board;
        board.limits.maxSpeed = {60, 60, 1000};
        board.limits.maxAcceleration = {500, 500, 800};
        board.limits.printAcceleration = board.limits.retractAcceleration =
            board.limits.travelAcceleration = 800;
        return board;
    }
    PracticePort slowPort{clock, slow()};
    App slowApp{window, slowPort, clock, power, files, dialogs};
};

TEST_F(SlowBoardTest, ItsOwnLimitsPaceTheLines) {
    ASSERT_TRUE(slowApp.startUp());
    EXPECT_EQ(slowApp.linkState().machine.limits(), slow().limits);
    for (const auto& [id, text] : kWorkedExample)
        window.setText(id, text);
    const auto pressSlow = [this](ControlId id) {
        window.click(id);
        while (!window.scriptDone())
            slowApp.mainLoopPass();
        slowApp.mainLoopPass();
    };
    pressSlow(ctl::kStartPosition);
    while (slowPort.machine().moving)
        clock.now += 1;
    pressSlow(ctl::kSection1);
    const std::int64_t programDone = clock.now;
    EXPECT_LE(slowPort.machine().queuedMoves, 3u);
    while (slowPort.machine().moving)
        clock.now += 1;
    EXPECT_LT(clock.now - programDone, MachinePace::kLookAheadMs + 1500);
}

TEST_F(PracticeTest, TheMachineWindowPaintsWhileTheMachineMovesAndShowsIt) {
    memory::MemoryPictureWindow picture;
    practice::MachineView view(port, picture, app.views());
    ASSERT_TRUE(view.open());
    EXPECT_EQ(picture.title, "Станок");
    EXPECT_EQ(picture.framesPerSecond, 0);
    // The fields make no core yet: a neutral one, said so.
    auto says = [](const Picture& p, const std::string& words) {
        for (const Shape& s : p.shapes)
            if (s.kind == Shape::Kind::Text && s.text.find(words) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(says(picture.paint(), "размеры не заданы"));
    for (const auto& [id, text] : kWorkedExample)
        window.setText(id, text);
    press(ctl::kStartPosition);
    EXPECT_EQ(picture.framesPerSecond, 30);
    const Picture moving = picture.paint();
    EXPECT_FALSE(says(moving, "размеры не заданы"));
    EXPECT_TRUE(says(moving, "Движений в очереди контроллера: 1 из 15"));
    untilAtRest();
    const Picture rest = picture.paint();  // the last frame of the move
    EXPECT_EQ(picture.framesPerSecond, 0);
    EXPECT_TRUE(says(rest, "Высота: 15.00 мм"));
    EXPECT_TRUE(says(rest, "Движений в очереди контроллера: 0 из 15"));
    // In the slot 4 mm deep: the guide's tip 4 × 140 / 25 px under the core's edge.
    const auto guideTip = [](const Picture& p) {
        for (const Shape& s : p.shapes)
            if (s.kind == Shape::Kind::Circle && s.filled && s.r == 5) return s.y;
        return 0.0;
    };
    window.setText(ctl::kCommandBox, "G0 Z-4F1500");
    press(ctl::kSend);
    untilAtRest();
    EXPECT_NEAR(guideTip(picture.paint()), 235 - 140 + 4 * 140.0 / 25, 0.01);
    // Turned by 30°: slot 1 (the red one) goes with the workpiece.
    press(ctl::kRotateSlotForward);
    untilAtRest();
    int slotOnes = 0;
    for (const Shape& s : picture.paint().shapes) {
        if (s.kind != Shape::Kind::Line || s.colour != Rgb{165, 7, 37}) continue;
        ++slotOnes;
        EXPECT_NEAR(std::atan2(210 - s.x, 235 - s.y) * 180 / 3.14159265358979, 30, 0.01);
    }
    EXPECT_EQ(slotOnes, 1);
}

}  // namespace
}  // namespace tarvel
