#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <variant>

#include "app/dispatch.h"
#include "fakes/app_fixture.h"
#include "motion/motion_model.h"
#include "platform/keys.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using memory::MemoryDevice;
using Lines = std::vector<std::string>;
using testing::Fields;

constexpr int kLeft = key::kLeft, kUp = key::kUp, kRight = key::kRight, kDown = key::kDown,
              kPlus = key::kNumpadPlus, kMinus = key::kNumpadMinus;

struct Key {
    int code;
};
struct Click {
    ControlId id;
};
using Input = std::variant<Key, Click>;

class ManualTest : public testing::ConnectedFixture {
  protected:
    // Each input on its own, as an operator presses one after the other's line was answered.
    Lines press(const std::vector<Input>& inputs) {
        dev().written.clear();
        for (const Input& input : inputs) {
            if (const Key* k = std::get_if<Key>(&input)) window.key(k->code);
            if (const Click* c = std::get_if<Click>(&input)) window.click(c->id);
            runScript();
        }
        return dev().written;
    }
    const TrackedPosition& at() { return app.position(); }
    std::string readout() { return window.text(ctl::kReadout); }
};

const float kSlotOfSeven = static_cast<float>(360.0 / 7.0);

struct JogsAndRotationButtonsCase {
    const char* name;
    Fields fields;
    std::vector<Input> inputs;
    Lines lines;
    TrackedPosition end;  // height, length, rotation
};

const JogsAndRotationButtonsCase kJogsAndRotationButtonsCases[] = {
    {"keypad + three times, then button -",
     {},
     {Key{kPlus}, Key{kPlus}, Key{kPlus}, Click{ctl::kJogHeightDown}},
     {"G0 Z1F1500\r\n", "G0 Z2F1500\r\n", "G0 Z3F1500\r\n", "G0 Z1F1500\r\n"},
     {1, 0, 0}},
    {"keypad - and button +",
     {},
     {Key{kMinus}, Click{ctl::kJogHeightUp}},
     {"G0 Z-1F1500\r\n", "G0 Z9F1500\r\n"},
     {9, 0, 0}},
    {"arrow right six times: whole degrees on the wire",
     {},
     {Key{kRight}, Key{kRight}, Key{kRight}, Key{kRight}, Key{kRight}, Key{kRight}},
     {"G0 E0F15000\r\n", "G0 E1F15000\r\n", "G0 E2F15000\r\n", "G0 E2F15000\r\n", "G0 E2F15000\r\n",
      "G0 E3F15000\r\n"},
     {0, 0, 3}},
    {"arrow left from 0: -0.5 goes out as the even 0",
     {},
     {Key{kLeft}},
     {"G0 E0F15000\r\n"},
     {0, 0, -0.5f}},
    {"arrows up and down, length buttons",
     {},
     {Key{kUp}, Key{kUp}, Key{kDown}, Click{ctl::kJogLengthUp}, Click{ctl::kJogLengthDown},
      Click{ctl::kJogLengthDown}},
     {"G0 Y1F1500\r\n", "G0 Y2F1500\r\n", "G0 Y1F1500\r\n", "G0 Y6F1500\r\n", "G0 Y1F1500\r\n",
      "G0 Y-4F1500\r\n"},
     {0, -4, 0}},
    {"rotation jog buttons",
     {},
     {Click{ctl::kJogRotationUp}, Click{ctl::kJogRotationDown}, Click{ctl::kJogRotationDown}},
     {"G0 E10F15000\r\n", "G0 E0F15000\r\n", "G0 E-10F15000\r\n"},
     {0, 0, -10}},
    {">> with 7 slots twice, then <<",
     {{ctl::kSlotCount, "7"}},
     {Click{ctl::kRotateSlotForward}, Click{ctl::kRotateSlotForward}, Click{ctl::kRotateSlotBack}},
     {"G0 E51F15000\r\n", "G0 E103F15000\r\n", "G0 E51F15000\r\n"},
     {0, 0, kSlotOfSeven}},
    {">> with an empty slot field: no pitch yet, the same target again",
     {{ctl::kSlotCount, ""}},
     {Click{ctl::kRotateSlotForward}, Click{ctl::kRotateSlotForward}},
     {"G0 E0F15000\r\n", "G0 E0F15000\r\n"},
     {0, 0, 0}},
    {"absolute angles, 360 twice",
     {},
     {Click{ctl::kRotateTo360}, Click{ctl::kRotateTo360}, Click{ctl::kRotateToMinus180},
      Click{ctl::kRotateToMinus360}, Click{ctl::kRotateTo180}, Click{ctl::kRotateTo0}},
     {"G0 E360F15000\r\n", "G0 E360F15000\r\n", "G0 E-180F15000\r\n", "G0 E-360F15000\r\n",
      "G0 E180F15000\r\n", "G0 E0F15000\r\n"},
     {0, 0, 0}},
    {"ДЛИНА 0 after jogging the length to 12",
     {},
     {Click{ctl::kJogLengthUp}, Click{ctl::kJogLengthUp}, Key{kUp}, Key{kUp},
      Click{ctl::kLengthZero}},
     {"G0 Y5F1500\r\n", "G0 Y10F1500\r\n", "G0 Y11F1500\r\n", "G0 Y12F1500\r\n", "G92 Y0\r\n"},
     {0, 0, 0}},
    {"ВЫСОТА 0 and ПОВОРОТ 0 zero their axis only",
     {},
     {Key{kPlus}, Key{kRight}, Key{kRight}, Key{kUp}, Click{ctl::kHeightZero},
      Click{ctl::kRotationZero}},
     {"G0 Z1F1500\r\n", "G0 E0F15000\r\n", "G0 E1F15000\r\n", "G0 Y1F1500\r\n", "G92 Z0\r\n",
      "G92 E0\r\n"},
     {0, 1, 0}},
    // A controller that prints no position after its homing is asked where it stands; one that
    // does not say either leaves the homed axes unknown (their values as they were).
    {"ПАРКОВКА asks where the homed axes stand",
     {},
     {Key{kPlus}, Key{kUp}, Click{ctl::kPark}},
     {"G0 Z1F1500\r\n", "G0 Y1F1500\r\n", "G28 Z Y\r\n", "M114\r\n"},
     {1, 1, 0}},
    {"ЗАМЕНА: home Z, free Y, Y is the new zero",
     {},
     {Key{kPlus}, Key{kUp}, Click{ctl::kChange}},
     {"G0 Z1F1500\r\n", "G0 Y1F1500\r\n", "G28 Z\r\n", "M114\r\n", "M84 Y\r\n", "G92 Y0\r\n"},
     {1, 0, 0}},
    {"the + and - of the main keyboard and other keys do not jog",
     {},
     {Key{187}, Key{189}, Key{65}, Key{13}},
     {},
     {0, 0, 0}},
};

using JogsAndRotationButtons = testing::Each<ManualTest, JogsAndRotationButtonsCase>;

TEST_P(JogsAndRotationButtons, EachCase) {
    const JogsAndRotationButtonsCase& c = GetParam();
    setFields(c.fields);
    EXPECT_EQ(press(c.inputs), c.lines) << c.name;
    EXPECT_EQ(at().height, c.end.height) << c.name;
    EXPECT_EQ(at().length, c.end.length) << c.name;
    EXPECT_EQ(at().rotation, c.end.rotation) << c.name;
    EXPECT_TRUE(window.messages.empty()) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, JogsAndRotationButtons,
                         ::testing::ValuesIn(kJogsAndRotationButtonsCases), testing::CaseName());

TEST_F(ManualTest, ReadoutFollowsEveryKeyAndControlEvent) {
    press({Key{kRight}, Key{kRight}, Key{kRight}, Key{kRight}, Key{kRight}, Key{kRight}});
    EXPECT_EQ(readout(), "Текущее положение:\r\nВысота: 0мм\r\nДлина: 0мм\r\nПоворот: 3°\r\n");
    press({Key{kLeft}, Key{kPlus}, Click{ctl::kJogLengthDown}});
    EXPECT_EQ(readout(), "Текущее положение:\r\nВысота: 1мм\r\nДлина: -5мм\r\nПоворот: 2.5°\r\n");
    // Any control event rewrites it, even one without an action.
    app.position().height = 0.25f;
    window.focus(ctl::kCommandBox);
    runScript();
    EXPECT_EQ(readout(),
              "Текущее положение:\r\nВысота: 0.25мм\r\nДлина: -5мм\r\nПоворот: 2.5°\r\n");
}

TEST_F(ManualTest, WithoutAControllerOnlyTheTrackedPositionMoves) {
    app.link().close();
    window.controls[ctl::kSlotCount].text = "12";
    const Lines lines = press({Key{kRight}, Key{kUp}, Key{kPlus}, Click{ctl::kRotateSlotForward},
                               Click{ctl::kRotateTo360}});
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(at().rotation, 360.0f);
    EXPECT_EQ(readout(), "Текущее положение:\r\nВысота: 1мм\r\nДлина: 1мм\r\nПоворот: 360°\r\n");
}

TEST_F(ManualTest, RotationButtonsResetTheSectionBars) {
    for (ControlId bar : ctl::kSectionBars)
        window.controls[bar].state = 100;
    press({Click{ctl::kJogRotationUp}});
    EXPECT_EQ(window.state(ctl::kSectionProgress1), 100);  // a jog leaves them
    press({Click{ctl::kRotateTo180}});
    for (ControlId bar : ctl::kSectionBars)
        EXPECT_EQ(window.state(bar), 0) << bar;
}

struct NextPositionCase {
    const char* name;
    Fields fields;  // slots 13, bars 19, direction 20, laying order 21, rotation before 37
    int lastWound;
    float rotation;
    Lines lines;
    float end;
    bool barsReset;
    bool refused = false;
};

const NextPositionCase kNextPositionCases[] = {
    {"before any section",
     {{ctl::kSlotCount, "10"}, {ctl::kBarCount, "10"}},
     0,
     250,
     {},
     250,
     false},
    {"after the last section: full turn, then one slot",
     {{ctl::kSlotCount, "10"}, {ctl::kBarCount, "10"}},
     1,
     250,
     {"G0 E360 F15000\r\n", "G0 E396 F15000\r\n"},
     396,
     true},
    {"after section 1 of two: the turn only",
     {{ctl::kSlotCount, "10"}, {ctl::kBarCount, "20"}},
     1,
     250,
     {"G0 E360 F15000\r\n"},
     360,
     false},
    {"rotation 0, laying order 1, 12 slots",
     {{ctl::kSlotCount, "12"}, {ctl::kBarCount, "12"}, {ctl::kLayingOrder, "1"}},
     1,
     0,
     {"G0 E-30 F15000\r\n"},
     -30,
     true},
    {"anticlockwise: a forward turn goes back to 0",
     {{ctl::kSlotCount, "12"}, {ctl::kBarCount, "24"}, {ctl::kDirection, "1"}},
     2,
     100,
     {"G0 E0 F15000\r\n", "G0 E30 F15000\r\n"},
     30,
     true},
    {"anticlockwise, turned back: on to -360",
     {{ctl::kSlotCount, "12"}, {ctl::kBarCount, "12"}, {ctl::kDirection, "1"}},
     1,
     -100,
     {"G0 E-360 F15000\r\n", "G0 E-330 F15000\r\n"},
     -330,
     true},
    {"clockwise, turned back: to 0",
     {{ctl::kSlotCount, "12"}, {ctl::kBarCount, "12"}},
     1,
     -100,
     {"G0 E0 F15000\r\n", "G0 E30 F15000\r\n"},
     30,
     true},
    {"direction 2: no finishing turn",
     {{ctl::kSlotCount, "12"}, {ctl::kBarCount, "12"}, {ctl::kDirection, "2"}},
     1,
     100,
     {"G0 E130 F15000\r\n"},
     130,
     true},
    {"a rotation before winding: nothing",
     {{ctl::kSlotCount, "12"}, {ctl::kBarCount, "12"}, {ctl::kRotationBefore, "15"}},
     1,
     100,
     {},
     100,
     false},
    {"7 slots",
     {{ctl::kSlotCount, "7"}, {ctl::kBarCount, "7"}},
     1,
     0,
     {"G0 E51 F15000\r\n"},
     kSlotOfSeven,
     true},
    {"empty slot field", {{ctl::kSlotCount, ""}}, 1, 250, {}, 250, false, true},
    {"0 slots", {{ctl::kSlotCount, "0"}}, 1, 250, {}, 250, false, true},
    {"NaN slots", {{ctl::kSlotCount, "NaN"}}, 1, 0, {}, 0, false, true},
    {"infinite slots make no step", {{ctl::kSlotCount, "-Infinity"}}, 1, 0, {}, 0, false, true},
    {"a step beyond the machine", {{ctl::kSlotCount, "0.0000001"}}, 1, 10, {}, 10, false, true},
};

using NextPosition = testing::Each<ManualTest, NextPositionCase>;

TEST_P(NextPosition, EachCase) {
    const NextPositionCase& c = GetParam();
    setFields(c.fields);
    app.layout().sectionCount = 1;  // kept when the slot field holds no number of slots
    app.layout().lastWoundSection = c.lastWound;
    app.position().rotation = c.rotation;
    for (ControlId bar : ctl::kSectionBars)
        window.controls[bar].state = 100;
    EXPECT_EQ(press({Click{ctl::kNext}}), c.lines) << c.name;
    EXPECT_EQ(at().rotation, c.end) << c.name;
    EXPECT_EQ(window.state(ctl::kSectionProgress4), c.barsReset ? 0 : 100) << c.name;
    ASSERT_EQ(window.messages.size(), c.refused ? 1u : 0u) << c.name;
    if (c.refused) {
        EXPECT_NE(window.messages[0].find("КОЛИЧЕСТВО ПАЗОВ"), std::string::npos) << c.name;
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, NextPosition, ::testing::ValuesIn(kNextPositionCases),
                         testing::CaseName());

struct UnsendableTargetsNeverGoOutCase {
    const char* name;
    TrackedPosition from;
    Input input;
    const char* line;  // empty when refused
};

std::vector<UnsendableTargetsNeverGoOutCase> kUnsendableTargetsNeverGoOutCases() {
    const float kInf = std::numeric_limits<float>::infinity();
    return {
        {"the sentinel stays the sentinel", {-2147483648.0f, 0, 0}, Key{kPlus}, ""},
        {"beyond the 32-bit range", {0, 3e9f, 0}, Key{kDown}, ""},
        {"infinite", {0, 0, kInf}, Key{kLeft}, ""},
        {"not a number",
         {0, 0, std::numeric_limits<float>::quiet_NaN()},
         Click{ctl::kRotateSlotForward},
         ""},
        {"the largest that goes", {0, 0, 2147483520.0f}, Key{kRight}, "G0 E2147483520F15000\r\n"},
        {"the most negative that goes",
         {-2147483520.0f, 0, 0},
         Key{kMinus},
         "G0 Z-2147483520F1500\r\n"},
    };
}

using UnsendableTargetsNeverGoOut = testing::Each<ManualTest, UnsendableTargetsNeverGoOutCase>;

TEST_P(UnsendableTargetsNeverGoOut, EachCase) {
    const UnsendableTargetsNeverGoOutCase& c = GetParam();
    window.controls[ctl::kSlotCount].text = "12";
    app.position() = c.from;
    const Lines lines = press({c.input});
    EXPECT_EQ(lines, *c.line ? Lines{c.line} : Lines{}) << c.name;
    EXPECT_EQ(window.messages.size(), *c.line ? 0u : 1u) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, UnsendableTargetsNeverGoOut,
                         ::testing::ValuesIn(kUnsendableTargetsNeverGoOutCases()),
                         testing::CaseName());

TEST_F(ManualTest, EmergencyReset) {
    // An answering controller: M112, a new search, the zero line; winding controls stay off.
    press({Key{kPlus}, Key{kUp}});
    EXPECT_EQ(press({Click{ctl::kReset}}), (Lines{"M112\r\n", "G92 X0 Y0 Z0 E0\r\n"}));
    EXPECT_EQ(dev().opens, 2);
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен");
    for (ControlId id : manualControls())
        EXPECT_TRUE(window.enabled(id)) << id;
    for (ControlId id : windingControls())
        EXPECT_FALSE(window.enabled(id)) << id;
    EXPECT_EQ(readout(), "Текущее положение:\r\nВысота: 0мм\r\nДлина: 0мм\r\nПоворот: 0°\r\n");

    // A controller that is dead after its emergency stop: СТОП lets the line go, and the
    // stop still holds for the zero line of the new search.
    for (ControlId id : windingControls())
        window.controls[id].enabled = true;
    press({Key{kPlus}, Key{kRight}, Key{kRight}, Key{kRight}});
    auto answer = dev().onWrite;
    dev().onWrite = [answer](MemoryDevice& d, const std::string& line) {
        if (line != "M112\r\n") answer(d, line);
    };
    dev().written.clear();
    window.click(ctl::kReset);
    window.idle(5);
    window.click(ctl::kStop);
    runScript();
    EXPECT_EQ(dev().written, (Lines{"M112\r\n"}));
    EXPECT_EQ(dev().opens, 3);
    EXPECT_EQ(readout(), "Текущее положение:\r\nВысота: 0мм\r\nДлина: 0мм\r\nПоворот: 0°\r\n");
    for (ControlId id : manualControls())
        EXPECT_TRUE(window.enabled(id)) << id;
    for (ControlId id : windingControls())
        EXPECT_FALSE(window.enabled(id)) << id;
    // The next operation sends again.
    EXPECT_EQ(press({Key{kPlus}}), (Lines{"G0 Z1F1500\r\n"}));
}

// A held key against a machine that takes 48.3 ms for a 1 mm jog (50 ms with the margin and the
// millisecond clock): the jogs go out at the machine's pace, and at most one after the last
// key-down, so the machine stops about when the key is let go.
struct HeldKeysJogAtTheMachinesPaceCase {
    const char* name;
    const char* before;  // a line the operator sends first; "" for none
    int key, repeatMs, keyDowns;
    std::int64_t gapMs;  // between two jogs
    std::size_t jogs;
};

const HeldKeysJogAtTheMachinesPaceCase kHeldKeysJogAtTheMachinesPaceCases[] = {
    {"arrow up repeating faster than the machine", "", kUp, 33, 30, 50, 21},
    {"keypad + the same", "", kPlus, 33, 30, 50, 21},
    {"arrow up repeating slower: every key-down jogs at once", "", kUp, 100, 10, 100, 10},
    {"Y slowed to 300 mm/s² takes 115.5 ms a jog", "M201 Y300", kUp, 33, 30, 117, 10},
    {"Z keeps its own acceleration", "M201 Y300", kPlus, 33, 30, 50, 21},
};

using HeldKeysJogAtTheMachinesPace = testing::Each<ManualTest, HeldKeysJogAtTheMachinesPaceCase>;

TEST_P(HeldKeysJogAtTheMachinesPace, EachCase) {
    const HeldKeysJogAtTheMachinesPaceCase& c = GetParam();
    if (*c.before) {
        window.controls[ctl::kCommandBox].text = c.before;
        window.click(ctl::kSend);
        runScript();
    }
    std::vector<std::int64_t> jogTimes;
    dev().onWrite = [&](MemoryDevice& d, const std::string&) {
        jogTimes.push_back(clock.now);
        d.arrive("ok\n");
    };
    const std::int64_t start = clock.now + 1000;
    const std::int64_t lastKey = start + (c.keyDowns - 1) * c.repeatMs;
    for (int i = 0; i < c.keyDowns; ++i)
        window.keyAt(start + i * c.repeatMs, c.key);
    runScript();
    ASSERT_EQ(jogTimes.size(), c.jogs) << c.name;
    EXPECT_EQ(jogTimes.front(), start) << c.name;
    // The fake's polls for the "ok" take a millisecond now and then.
    for (std::size_t i = 1; i < jogTimes.size(); ++i) {
        EXPECT_GE(jogTimes[i] - jogTimes[i - 1], c.gapMs) << c.name << ", jog " << i;
        EXPECT_LE(jogTimes[i] - jogTimes[i - 1], c.gapMs + 1) << c.name << ", jog " << i;
    }
    EXPECT_GE(jogTimes.back(), lastKey) << c.name;
    EXPECT_LT(jogTimes.back() - lastKey, c.gapMs) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, HeldKeysJogAtTheMachinesPace,
                         ::testing::ValuesIn(kHeldKeysJogAtTheMachinesPaceCases),
                         testing::CaseName());

// Behind a long move (360° at F15000: 1.52 s) a held key's first jog waits until the machine has
// carried it out, instead of queueing behind it; the machine still stops within two jogs of the
// release.
TEST_F(ManualTest, AHeldKeyWaitsBehindALongMove) {
    std::vector<std::int64_t> jogTimes;
    std::int64_t rotationSent = 0;
    dev().onWrite = [&](MemoryDevice& d, const std::string& line) {
        if (line.rfind("G0 Y", 0) == 0) jogTimes.push_back(clock.now);
        if (line.rfind("G0 E", 0) == 0) rotationSent = clock.now;
        d.arrive("ok\n");
    };
    window.click(ctl::kRotateTo360);
    runScript();
    const std::int64_t rotationEnds =
        rotationSent + std::llround(motion::moveProfile({0, 0, 360}, 15000, {}).seconds * 1000);
    const std::int64_t lastKey = clock.now + 75 * 33;  // held on after the rotation ends
    for (int i = 0; i < 76; ++i)
        window.keyAt(clock.now + i * 33, kUp);
    runScript();
    ASSERT_FALSE(jogTimes.empty());
    EXPECT_GE(jogTimes.front(), rotationEnds);
    EXPECT_LE(jogTimes.front(), rotationEnds + 40);  // the key-down that comes after it
    EXPECT_LT(jogTimes.back() - lastKey, 2 * 50);
}

struct OnlyTheLastEventOfAWaitCanJogAfterItCase {
    const char* name;
    std::vector<int> duringWait;  // key codes; 0 for a wait that finds nothing
    Lines lines;
};

const OnlyTheLastEventOfAWaitCanJogAfterItCase kOnlyTheLastEventOfAWaitCanJogAfterItCases[] = {
    {"a key last", {kUp, kUp, kPlus}, {"G0 E0F15000\r\n", "G0 Z1F1500\r\n"}},
    {"keys, then nothing", {kUp, kPlus, 0}, {"G0 E0F15000\r\n"}},
    {"one key", {kRight}, {"G0 E0F15000\r\n", "G0 E0F15000\r\n"}},
};

using OnlyTheLastEventOfAWaitCanJogAfterIt =
    testing::Each<ManualTest, OnlyTheLastEventOfAWaitCanJogAfterItCase>;

TEST_P(OnlyTheLastEventOfAWaitCanJogAfterIt, EachCase) {
    const OnlyTheLastEventOfAWaitCanJogAfterItCase& c = GetParam();
    // One event a millisecond while the line waits; the "ok" comes with the last of them.
    const int lastMs = static_cast<int>(c.duringWait.size());
    dev().onWrite = [lastMs](MemoryDevice& d, const std::string&) { d.arrive("ok\n", lastMs); };
    window.click(ctl::kRotateTo0);
    for (std::size_t i = 0; i < c.duringWait.size(); ++i) {
        if (c.duringWait[i] != 0)
            window.keyAt(clock.now + static_cast<std::int64_t>(i) + 1, c.duringWait[i]);
    }
    runScript();
    EXPECT_EQ(dev().written, c.lines) << c.name;
    EXPECT_EQ(at().length, 0.0f) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, OnlyTheLastEventOfAWaitCanJogAfterIt,
                         ::testing::ValuesIn(kOnlyTheLastEventOfAWaitCanJogAfterItCases),
                         testing::CaseName());

TEST(Dispatch, EveryButtonHasARouteAndEveryRouteARow) {
    // Deliberately inert in the main loop: СТОП and ПАУЗА act inside the wait for an "ok".
    const std::set<ControlId> inert = {ctl::kStop, ctl::kPause};
    auto routed = [](ControlId id, ControlEventKind event) {
        int n = 0;
        for (const Route& r : controlRoutes())
            n += r.event == event && r.controls.contains(id);
        return n;
    };
    for (ControlId id : kEveryControl) {
        const bool button = specOf(id).kind == ControlKind::Button;
        EXPECT_EQ(routed(id, ControlEventKind::Clicked), button && !inert.count(id) ? 1 : 0) << id;
        EXPECT_EQ(routed(id, ControlEventKind::FocusGained), hasFocusEditing(id) ? 1 : 0) << id;
        EXPECT_EQ(routed(id, ControlEventKind::FocusLost), hasFocusEditing(id) ? 1 : 0) << id;
        EXPECT_EQ(routed(id, ControlEventKind::TextChanged),
                  id == ctl::kPoles || id == ctl::kTurns ? 1 : 0)
            << id;
    }
    for (int key : {kLeft, kUp, kRight, kDown, kPlus, kMinus})
        EXPECT_NE(keyJog(key), nullptr) << key;
}

}  // namespace
}  // namespace tarvel
