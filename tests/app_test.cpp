#include "app/app.h"

#include <gtest/gtest.h>

#include <set>

#include "fakes/app_fixture.h"
#include "platform/keys.h"
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
    EXPECT_TRUE(window.timers.empty());  // nothing needs a tick: the port wakes the waits
    EXPECT_EQ(window.state(ctl::kWindingSpeed), 8);
    EXPECT_EQ(window.state(ctl::kStakingPower), 1);
    // No controller: the search recoloured the label and left the machine controls disabled.
    EXPECT_EQ(window.text(ctl::kStatus), "Не подключен");
    EXPECT_EQ(window.controls[ctl::kStatus].front, colour::kDisconnected);

    const std::set<ControlId> machine(machineControls().begin(), machineControls().end());
    EXPECT_EQ(machine.size(), 19u);
    for (ControlId id : kEveryControl)
        EXPECT_EQ(window.enabled(id), machine.count(id) == 0) << id;

    // Two sections shown, whatever the fields hold.
    for (int k = 1; k <= 4; ++k)
        for (ControlId id : sectionColumn(k))
            EXPECT_EQ(window.visible(id), k <= 2) << id;
    EXPECT_TRUE(window.visible(ctl::kSection2));
    EXPECT_TRUE(window.visible(ctl::kSectionProgress2));
    for (ControlId id :
         {ctl::kSection3, ctl::kSection4, ctl::kSectionProgress3, ctl::kSectionProgress4})
        EXPECT_FALSE(window.visible(id)) << id;
    for (ControlId id : {ctl::kSection1, ctl::kSectionProgress1, ctl::kColumnHeader1,
                         ctl::kColumnHeader2, ctl::kColumnHeader3, ctl::kColumnHeader4,
                         ctl::kSectionOffsetLabel, ctl::kOffsetTurnsLabel,
                         ctl::kSectionPositionLabel, ctl::kLeadInLabel, ctl::kLeadOutLabel})
        EXPECT_TRUE(window.visible(id)) << id;
}

// The table says what every control is: each number filled exactly once, by a name of its own,
// and the lists read off it hold what the window's groups hold.
TEST(ControlTable, EveryControlOnceByName) {
    std::set<std::string> names;
    for (ControlId id : kEveryControl) {
        const ControlSpec& row = specOf(id);
        EXPECT_EQ(row.fills, 1) << id;
        ASSERT_NE(row.name, nullptr) << id;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
    const std::span<const ControlId> profile = profileFields();
    EXPECT_EQ(std::set<ControlId>(profile.begin(), profile.end()).size(), 44u);
    EXPECT_EQ(profile.front(), ctl::kCoreHeight);
    EXPECT_EQ(profile[16], ctl::kLeadIn1);  // the section table after the panel, by rows
    EXPECT_EQ(profile[24], ctl::kSpan1);
    EXPECT_EQ(profile[28], ctl::kSectionTurns1);
    EXPECT_EQ(profile.back(), ctl::kSectionPosition4);
    EXPECT_EQ(manualControls().size(), 13u);
    EXPECT_EQ(windingControls().size(), 6u);
    EXPECT_EQ(focusEditFields().size(), 24u);
    EXPECT_EQ(sectionColumn(3),
              (std::array<ControlId, kSectionRows>{ctl::kLeadIn3, ctl::kLeadOut3, ctl::kSpan3,
                                                   ctl::kSectionTurns3, ctl::kSectionOffset3,
                                                   ctl::kOffsetTurns3, ctl::kSectionPosition3}));
}

TEST_F(AppTest, CloseEndsTheProgramWithExitCodeZero) {
    window.type("12");
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

// At rest the loop sleeps until something comes: a pass that nothing wakes lasts a second, and
// a halt the controller sends meanwhile ends the wait as it arrives and is shown then.
TEST_F(AppTest, TheIdleLoopSleepsUntilThePortOrTheOperatorWakesIt) {
    window.clock = &clock;
    port.devices["COM1"] = memory::controller(memory::controllerIdentification());
    startUp();
    window.closeWhenIdle = false;
    const int waits = window.waits;
    const std::int64_t start = clock.now;
    app.mainLoopPass();
    EXPECT_EQ(clock.now - start, 1000);
    port.devices.at("COM1").arrive("Error:Printer halted. kill() called!\n", 300);
    app.mainLoopPass();
    EXPECT_EQ(clock.now - start, 1300);
    EXPECT_EQ(window.text(ctl::kStatus), "Ошибка контроллера: Printer halte…");
    EXPECT_EQ(window.waits - waits, 2);
    EXPECT_EQ(app.events().last().kind, EventKind::None);
}

TEST_F(AppTest, FocusEditingRestoresOnlyAnEmptiedField) {
    startUp();
    window.controls[ctl::kSlotCount].text = "12";
    window.controls[ctl::kRotationBefore].text = "0";
    window.focus(ctl::kSlotCount);
    window.step([&] { EXPECT_EQ(window.text(ctl::kSlotCount), ""); });
    window.focus(ctl::kRotationBefore);  // left without typing: former text back
    window.type("45");
    window.focus(ctl::kSlotDepth);  // typed a new value: kept
    window.focus(ctl::kSlotCount);
    window.type("9\b");
    window.focus(ctl::kCoreDiameter);  // deleted everything: former text back
    window.focus(ctl::kSlotWidth);     // was empty, left empty: stays empty
    runScript();
    EXPECT_EQ(window.text(ctl::kSlotCount), "12");
    EXPECT_EQ(window.text(ctl::kRotationBefore), "45");
    EXPECT_EQ(window.text(ctl::kSlotDepth), "");
    EXPECT_EQ(window.text(ctl::kCoreDiameter), "");
    EXPECT_EQ(app.focusEditing().savedText(), "");
}

TEST_F(AppTest, FieldsWithoutFocusEditingKeepTheirText) {
    startUp();
    for (ControlId id : {ctl::kSectionOffset1, ctl::kLeadIn1, ctl::kLeadOut4, ctl::kCommandBox})
        window.controls[id].text = "7";
    for (ControlId id :
         {ctl::kSectionOffset1, ctl::kLeadIn1, ctl::kLeadOut4, ctl::kCommandBox, ctl::kCoreHeight})
        window.focus(id);
    runScript();
    for (ControlId id : {ctl::kSectionOffset1, ctl::kLeadIn1, ctl::kLeadOut4, ctl::kCommandBox})
        EXPECT_EQ(window.text(id), "7") << id;
}

TEST_F(AppTest, PolesAndTurnsAreCopiedOnEveryKeystrokeOnly) {
    startUp();
    for (ControlId id : {ctl::kSpan1, ctl::kSpan2, ctl::kSpan3, ctl::kSpan4, ctl::kSectionTurns1,
                         ctl::kSectionTurns2, ctl::kSectionTurns3, ctl::kSectionTurns4})
        window.controls[id].text = "old";
    window.controls[ctl::kPoles].text = "3";
    window.focus(ctl::kPoles);
    window.step([&] {
        // Clearing on focus is the program's own change: nothing copied.
        for (ControlId id : {ctl::kSpan1, ctl::kSpan2, ctl::kSpan3, ctl::kSpan4})
            EXPECT_EQ(window.text(id), "old");
    });
    window.type("5");
    window.step([&] {
        for (ControlId id : {ctl::kSpan1, ctl::kSpan2, ctl::kSpan3, ctl::kSpan4})
            EXPECT_EQ(window.text(id), "5");
    });
    window.type("\b");
    window.focus(ctl::kTurns);
    window.type("40");
    window.step([&] {
        for (ControlId id :
             {ctl::kSectionTurns1, ctl::kSectionTurns2, ctl::kSectionTurns3, ctl::kSectionTurns4})
            EXPECT_EQ(window.text(id), "40");
    });
    window.focus(ctl::kSectionTurns2);
    window.type("\b\b35");
    window.focus(ctl::kCoreHeight);
    runScript();
    EXPECT_EQ(window.text(ctl::kPoles), "3");  // restored on focus loss
    for (ControlId id : {ctl::kSpan1, ctl::kSpan2, ctl::kSpan3, ctl::kSpan4})
        EXPECT_EQ(window.text(id), "") << id;
    for (ControlId id : {ctl::kSectionTurns1, ctl::kSectionTurns3, ctl::kSectionTurns4})
        EXPECT_EQ(window.text(id), "40") << id;
    EXPECT_EQ(window.text(ctl::kSectionTurns2), "35");
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
            EXPECT_EQ(window.visible(ctl::sectionButton(k)), k <= count) << count;
            EXPECT_EQ(window.visible(ctl::sectionBar(k)), k <= count) << count;
        }
        for (ControlId id :
             {ctl::kColumnHeader1, ctl::kColumnHeader2, ctl::kColumnHeader3, ctl::kColumnHeader4,
              ctl::kSectionOffsetLabel, ctl::kOffsetTurnsLabel, ctl::kSectionPositionLabel,
              ctl::kLeadInLabel, ctl::kLeadOutLabel, ctl::kPoles, ctl::kTurns})
            EXPECT_TRUE(window.visible(id));
    }
}

TEST_F(AppTest, TypedSlotsAndBarsChangeTheLayoutWithEveryKeystroke) {
    startUp();
    window.focus(ctl::kSlotCount);
    window.type("8");
    window.focus(ctl::kBarCount);
    window.type("2");
    window.step([&] { EXPECT_EQ(app.layout().sectionCount, 1); });
    window.type("4");
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 3);
    EXPECT_EQ(app.layout().slotPitch, 45.0f);
    EXPECT_TRUE(window.visible(ctl::kSpan3));
    EXPECT_FALSE(window.visible(ctl::kSpan4));
    EXPECT_TRUE(window.visible(ctl::kSection3));
    EXPECT_FALSE(window.visible(ctl::kSection4));
}

// A slot field emptied by the operator leaves the layout as the last number of slots made it.
TEST_F(AppTest, EmptySlotFieldLeavesTheLayout) {
    startUp();
    window.controls[ctl::kSlotCount].text = "12";
    window.controls[ctl::kBarCount].text = "24";
    window.focus(ctl::kSlotCount);  // emptied for typing
    window.type("8");
    window.step([&] { EXPECT_EQ(app.layout().sectionCount, 3); });
    window.type("\b");
    runScript();
    EXPECT_EQ(window.text(ctl::kSlotCount), "");
    EXPECT_EQ(app.layout().sectionCount, 3);
    EXPECT_TRUE(window.visible(ctl::kSection3));
}

TEST_F(AppTest, LeavingTheBarFieldEmptyShowsOneSectionUntilTheNextEvent) {
    startUp();
    window.controls[ctl::kSlotCount].text = "12";
    window.controls[ctl::kBarCount].text = "24";
    window.focus(ctl::kBarCount);
    window.focus(ctl::kStop);  // a button takes the focus: only the field's focus-lost is seen
    window.step([&] {
        // The rule ran before the text came back.
        EXPECT_EQ(window.text(ctl::kBarCount), "24");
        EXPECT_EQ(app.layout().sectionCount, 1);
        EXPECT_FALSE(window.visible(ctl::kSpan1));
    });
    window.click(ctl::kStop);
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 2);
    EXPECT_TRUE(window.visible(ctl::kSpan1));
}

// With no controller a jog waits for nothing: a tick that the loop's own wait takes next leaves
// the key that was acted on as the last event, and it must not jog again.
TEST_F(AppTest, AKeyJogsOnceThoughATickFollowsIt) {
    startUp();
    window.closeWhenIdle = false;
    window.key(key::kUp);
    window.tick();
    runScript();
    EXPECT_EQ(app.position().length, 1.0f);
}

TEST_F(AppTest, TimerEventsCarryNoAction) {
    startUp();
    window.controls[ctl::kSlotCount].text = "12";
    window.tick();
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 0);
    window.click(ctl::kStop);
    runScript();
    EXPECT_EQ(app.layout().sectionCount, 1);
}

}  // namespace
}  // namespace tarvel
