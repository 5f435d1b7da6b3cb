#include "app/app.h"

#include <gtest/gtest.h>

#include <set>

#include "fakes/app_fixture.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"
#include "winding/section_count.h"

namespace tarvel {
namespace {

class AppTest : public testing::AppFixture {
  protected:
    void startUp() { ASSERT_TRUE(app.startUp()); }
};

TEST_F(AppTest, StartUpStateAndControls) {
    startUp();
    EXPECT_EQ(app.linkState().firstPortToTry, 1);
    const SpeedValues& s = app.speeds();
    EXPECT_EQ(s.accelStart, 3000);
    EXPECT_EQ(s.accelRun, 3000);
    EXPECT_EQ(s.feedE, 220000);
    EXPECT_EQ(s.feedYZ, 120000);
    EXPECT_EQ(app.layout().sectionCount, 0);
    EXPECT_EQ(app.layout().slotPitch, 0.0f);
    EXPECT_FALSE(app.quitRequested());
    EXPECT_EQ(window.timers.at(123), 250);
    EXPECT_EQ(window.state(ctl::kWindingSpeed), 8);
    EXPECT_EQ(window.state(ctl::kStakingPower), 1);
    // No controller: the search recoloured the label and left the machine controls disabled.
    EXPECT_EQ(window.text(ctl::kStatus), "Не подключен");
    EXPECT_EQ(window.controls[ctl::kStatus].front, colour::kDisconnected);

    const std::set<ControlId> machine(machineControls().begin(), machineControls().end());
    EXPECT_EQ(machine.size(), 19u);
    for (ControlId id = 0; id < kControlCount; ++id)
        EXPECT_EQ(window.enabled(id), machine.count(id) == 0) << id;

    // Two sections shown, whatever the fields hold.
    for (int k = 1; k <= 4; ++k)
        for (ControlId id : sectionColumn(k))
            EXPECT_EQ(window.visible(id), k <= 2) << id;
    EXPECT_TRUE(window.visible(94));
    EXPECT_TRUE(window.visible(110));
    for (ControlId id : {95, 96, 111, 112})
        EXPECT_FALSE(window.visible(id)) << id;
    for (ControlId id : {93, 109, 30, 31, 32, 33, 34, 35, 48, 53, 58})
        EXPECT_TRUE(window.visible(id)) << id;
}

TEST_F(AppTest, CloseEndsTheProgramWithExitCodeZero) {
    window.type(ctl::kSlotCount, "12");
    window.close();
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(app.quitRequested());
    EXPECT_TRUE(window.scriptDone());
}

TEST_F(AppTest, AWindowThatCannotBeMadeIsToldAndEndsWithExitCodeOne) {
    window.createFailure = "главное окно не создано: Недостаточно памяти (код 8)";
    EXPECT_EQ(app.run(), 1);
    EXPECT_EQ(window.messages, std::vector<std::string>{"Программа не запущена: главное окно не "
                                                        "создано: Недостаточно памяти (код 8)."});
    EXPECT_TRUE(port.opened.empty());
}

TEST_F(AppTest, MainLoopWaitsTwentyMilliseconds) {
    startUp();
    window.closeWhenIdle = false;
    app.mainLoopPass();
    app.mainLoopPass();
    EXPECT_EQ(window.waitTimeouts, (std::vector<int>{20, 20}));
    EXPECT_EQ(app.events().last().kind, EventKind::None);
}

TEST_F(AppTest, FocusEditingRestoresOnlyAnEmptiedField) {
    startUp();
    window.controls[13].text = "12";
    window.controls[37].text = "0";
    window.focus(13);
    window.step([&] { EXPECT_EQ(window.text(13), ""); });
    window.focus(37);  // left without typing: former text back
    window.type(37, "45");
    window.focus(14);  // typed a new value: kept
    window.focus(13);
    window.type(13, "9\b");
    window.focus(12);  // deleted everything: former text back
    window.focus(15);  // was empty, left empty: stays empty
    runScript();
    EXPECT_EQ(window.text(13), "12");
    EXPECT_EQ(window.text(37), "45");
    EXPECT_EQ(window.text(14), "");
    EXPECT_EQ(window.text(12), "");
    EXPECT_EQ(app.focusEditing().savedText(), "");
}

TEST_F(AppTest, FieldsWithoutFocusEditingKeepTheirText) {
    startUp();
    for (ControlId id : {40, 54, 62, 73})
        window.controls[id].text = "7";
    for (ControlId id : {40, 54, 62, 73, 11})
        window.focus(id);
    runScript();
    for (ControlId id : {40, 54, 62, 73})
        EXPECT_EQ(window.text(id), "7") << id;
}

TEST_F(AppTest, PolesAndTurnsAreCopiedOnEveryKeystrokeOnly) {
    startUp();
    for (ControlId id : {22, 24, 26, 28, 23, 25, 27, 29})
        window.controls[id].text = "old";
    window.controls[16].text = "3";
    window.focus(16);
    window.step([&] {
        // Clearing on focus is the program's own change: nothing copied.
        for (ControlId id : {22, 24, 26, 28})
            EXPECT_EQ(window.text(id), "old");
    });
    window.type(16, "5");
    window.step([&] {
        for (ControlId id : {22, 24, 26, 28})
            EXPECT_EQ(window.text(id), "5");
    });
    window.type(16, "\b");
    window.focus(17);
    window.type(17, "40");
    window.step([&] {
        for (ControlId id : {23, 25, 27, 29})
            EXPECT_EQ(window.text(id), "40");
    });
    window.focus(25);
    window.type(25, "\b\b35");
    window.focus(11);
    runScript();
    EXPECT_EQ(window.text(16), "3");  // restored on focus loss
    for (ControlId id : {22, 24, 26, 28})
        EXPECT_EQ(window.text(id), "") << id;
    for (ControlId id : {23, 27, 29})
        EXPECT_EQ(window.text(id), "40") << id;
    EXPECT_EQ(window.text(25), "35");
}

TEST(SectionCountRule, Counts) {
    const struct {
        const char* slots;
        const char* bars;
        int count;
    } cases[] = {
        {"12", "24", 2},
        {"12", "25", 3},
        {"12", "12", 1},
        {"12", "60", 4},
        {"12", "", 1},
        {"3", "7", 3},
        {"3", "6", 2},
        {"8", "24", 3},
        {"1", "9999999999", 4},
        {"5", "-3", 1},
        {"7", "$FFFFFFFFFFFFFFFF", 1},
    };
    for (const auto& c : cases) {
        const auto rule = sectionCountRule(c.slots, c.bars);
        ASSERT_TRUE(rule) << c.slots;
        EXPECT_EQ(rule->sectionCount, c.count) << c.slots << " slots, " << c.bars << " bars";
    }
    EXPECT_EQ(sectionCountRule("7", "7")->slotPitch, static_cast<float>(360.0 / 7.0));
    EXPECT_FALSE(sectionCountRule("", "24"));
    EXPECT_FALSE(sectionCountRule("0", "24"));
    EXPECT_FALSE(sectionCountRule("$8000000000000000", "24"));
}

TEST_F(AppTest, SectionLayoutForEachCount) {
    startUp();
    for (int count = 1; count <= 4; ++count) {
        applySectionLayout(window, count);
        for (int k = 1; k <= 4; ++k) {
            for (ControlId id : sectionColumn(k))
                EXPECT_EQ(window.visible(id), count > 1 && k <= count) << count << ' ' << id;
            EXPECT_EQ(window.visible(92 + k), k <= count) << count;
            EXPECT_EQ(window.visible(108 + k), k <= count) << count;
        }
        for (ControlId id : {30, 31, 32, 33, 34, 35, 48, 53, 58, 16, 17})
            EXPECT_TRUE(window.visible(id));
    }
}

TEST_F(AppTest, TypedSlotsAndBarsChangeTheLayoutWithEveryKeystroke) {
    startUp();
    window.focus(13);
    window.type(13, "8");
    window.focus(19);
    window.type(19, "2");
    window.step([&] { EXPECT_EQ(app.layout().sectionCount, 1); });
    window.type(19, "4");
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 3);
    EXPECT_EQ(app.layout().slotPitch, 45.0f);
    EXPECT_TRUE(window.visible(26));
    EXPECT_FALSE(window.visible(28));
    EXPECT_TRUE(window.visible(95));
    EXPECT_FALSE(window.visible(96));
}

TEST_F(AppTest, EmptySlotFieldLeavesTheLayout) {
    startUp();
    window.controls[19].text = "48";
    window.click(91);  // any control event recomputes
    window.step([&] {
        EXPECT_EQ(app.layout().sectionCount, 0);
        window.controls[13].text = "12";
    });
    window.click(92);
    window.step([&] { EXPECT_EQ(app.layout().sectionCount, 4); });
    window.focus(13);  // empties the slot field: the layout stays
    window.type(19, "\b");
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 4);
    EXPECT_TRUE(window.visible(96));
}

TEST_F(AppTest, LeavingTheBarFieldEmptyShowsOneSectionUntilTheNextEvent) {
    startUp();
    window.controls[13].text = "12";
    window.controls[19].text = "24";
    window.focus(19);
    window.focus(ctl::kStop);  // a button takes the focus: only the field's focus-lost is seen
    window.step([&] {
        // The rule ran before the text came back.
        EXPECT_EQ(window.text(19), "24");
        EXPECT_EQ(app.layout().sectionCount, 1);
        EXPECT_FALSE(window.visible(22));
    });
    window.click(ctl::kStop);
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 2);
    EXPECT_TRUE(window.visible(22));
}

TEST_F(AppTest, TimerEventsCarryNoAction) {
    startUp();
    window.controls[13].text = "12";
    window.tick();
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 0);
    window.click(ctl::kStop);
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 1);
}

}  // namespace
}  // namespace tarvel
