// СТОП and what follows it: the record holds the targets of the lines that went out, so the
// controller comes to rest where the readout says; a stopped cycle asks whether to go on, goes back
// to where it stopped and sends exactly the lines it had left; anything that may declare the
// position anew gives the continuation up, and its button says so.
#include <gtest/gtest.h>

#include <cmath>
#include <variant>

#include "fakes/app_fixture.h"
#include "motion/motion_model.h"
#include "platform/keys.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using memory::MemoryDevice;
using Lines = std::vector<std::string>;

struct Key {
    int code;
};
struct Click {
    ControlId id;
};
struct Unplug {};  // the system reports the controller's port removed
using Input = std::variant<Key, Click, Unplug>;

class StopTest : public testing::ConnectedFixture {
  protected:
    void SetUp() override {
        ConnectedFixture::SetUp();
        setFields(testing::workedExample("10"));
        setFields({{ctl::kBarCount, "24"}});
        window.controls[ctl::kWindingSpeed].state = 8;
    }
    void act(const Input& input) {
        if (const Key* k = std::get_if<Key>(&input)) window.key(k->code);
        if (const Click* c = std::get_if<Click>(&input)) window.click(c->id);
        if (std::holds_alternative<Unplug>(input)) window.removePort(1);
        runScript();
    }
    // СТОП while the wait of the n-th line written from now on takes place.
    void stopAtLine(std::size_t n) {
        const std::size_t at = dev().written.size() + n;
        dev().onWrite = [this, at](MemoryDevice& d, const std::string&) {
            d.arrive("ok\n");
            if (d.written.size() == at) window.click(ctl::kStop);
        };
    }
    void answerEveryLine() {
        dev().onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n"); };
    }
    // The lines of a section wound whole, from a program of its own.
    Lines uninterrupted() {
        const Lines before = dev().written;
        const TrackedPosition at = app.position();
        answerEveryLine();
        act(Click{ctl::kSection1});
        Lines all(dev().written.begin() + static_cast<std::ptrdiff_t>(before.size()),
                  dev().written.end());
        dev().written = before;
        app.position() = at;
        return all;
    }
    // Where the controller comes to rest once it has carried out every line written.
    motion::Axes restOfTheMachine() {
        motion::Machine machine;
        for (const std::string& line : dev().written)
            machine.apply(line);
        return machine.position();
    }
    void expectTheRecordIsTheMachine(const char* name) {
        const motion::Axes rest = restOfTheMachine();
        // The lines carry whole numbers, the record keeps the fraction.
        EXPECT_NEAR(app.position().height, rest.z, 0.5) << name;
        EXPECT_NEAR(app.position().length, rest.y, 0.5) << name;
        EXPECT_NEAR(app.position().rotation, rest.e, 0.5) << name;
    }
};

// One row per operation, stopped in the wait of one of its lines.
struct RecordCase {
    const char* name;
    testing::Fields fields;
    std::vector<Input> before;  // every line answered
    Input input;
    std::size_t stopAt;  // the line whose wait СТОП ends
};

const RecordCase kRecordCases[] = {
    {"section, in the approach", {}, {}, Click{ctl::kSection1}, 3},
    {"section, turn 4 of 10, dipped at the far end", {}, {}, Click{ctl::kSection1}, 39},
    {"section, in the departure", {}, {}, Click{ctl::kSection1}, 99},
    {"section of 100000 turns, turn 1",
     {{ctl::kSectionTurns1, "100000"}},
     {},
     Click{ctl::kSection1},
     10},
    {"staking, the punch down", {}, {}, Click{ctl::kStake}, 3},
    {"staking of 100000 bars, the second pass",
     {{ctl::kBarCount, "100000"}},
     {},
     Click{ctl::kStake},
     9},
    {"ДАЛЕЕ, the finishing turn",
     {{ctl::kRotationAfter, "90"}},
     {Click{ctl::kSection1}},
     Click{ctl::kNext},
     1},
    {"ЗАМЕНА, the release of the length", {}, {Key{key::kUp}}, Click{ctl::kChange}, 2},
};

using RecordAfterAStop = testing::Each<StopTest, RecordCase>;

TEST_P(RecordAfterAStop, IsWhereTheMachineComesToRest) {
    const RecordCase& c = GetParam();
    setFields({{ctl::kSlotCount, "24"}});  // one section a slot: ДАЛЕЕ steps after it
    setFields(c.fields);
    answerEveryLine();
    for (const Input& input : c.before)
        act(input);
    const std::size_t before = dev().written.size();
    stopAtLine(c.stopAt);
    port.isOpenQueries = 0;
    act(c.input);
    EXPECT_EQ(dev().written.size() - before, c.stopAt) << c.name;
    EXPECT_LT(port.isOpenQueries, 2000) << c.name;  // no counting through what is left
    expectTheRecordIsTheMachine(c.name);
}
INSTANTIATE_TEST_SUITE_P(Cases, RecordAfterAStop, ::testing::ValuesIn(kRecordCases),
                         testing::CaseName());

// A jog whose line does not go out (the controller gone) does not move the record either.
TEST_F(StopTest, AJogThatDoesNotGoOutLeavesTheRecord) {
    dev().takesOnly = 0;
    act(Key{key::kUp});
    EXPECT_EQ(dev().written, Lines{""});
    EXPECT_EQ(app.position().length, 0.0f);
}

// Stopped in turn 4, the height jogged by "+": each answer of the question.
struct AnswerCase {
    const char* name;
    Answer answer;
    bool continued;  // else wound anew (or, for Cancel, nothing)
};

using TheQuestion = testing::Each<StopTest, AnswerCase>;

TEST_P(TheQuestion, DecidesHowTheSectionGoesOn) {
    const AnswerCase& c = GetParam();
    const Lines whole = uninterrupted();
    stopAtLine(39);
    act(Click{ctl::kSection1});
    EXPECT_EQ(window.state(ctl::kSectionProgress1), 40) << c.name;  // turn 4 of 10
    EXPECT_EQ(app.layout().lastWoundSection, 1) << c.name;
    act(Click{ctl::kJogHeightUp});
    const std::size_t before = dev().written.size();
    answerEveryLine();
    window.answers.push_back(c.answer);
    act(Click{ctl::kSection1});

    ASSERT_EQ(window.questions.size(), 1u) << c.name;
    EXPECT_EQ(window.questions[0].text,
              "Секция 1 остановлена на витке 4 из 10.\n\nДа — продолжить с места остановки. Нет — "
              "намотать секцию заново. Отмена — ничего не делать.");
    EXPECT_EQ(window.questions[0].choices, Choices::YesNoCancel);
    EXPECT_EQ(window.questions[0].byDefault, Answer::Yes);
    const Lines after(dev().written.begin() + static_cast<std::ptrdiff_t>(before),
                      dev().written.end());
    Lines expected;
    if (c.answer == Answer::Yes) {
        expected = {"G0 Z-4 F15000\r\n"};  // down again where it stopped, then the rest
        expected.insert(expected.end(), whole.begin() + 39, whole.end());
    }
    if (c.answer == Answer::No) expected = whole;
    EXPECT_EQ(after, expected) << c.name;
    EXPECT_TRUE(window.enabled(ctl::kSection1)) << c.name;
    EXPECT_EQ(app.cycles().stoppedCycle(1).has_value(), c.answer == Answer::Cancel) << c.name;
    expectTheRecordIsTheMachine(c.name);
}
INSTANTIATE_TEST_SUITE_P(Answers, TheQuestion,
                         ::testing::Values(AnswerCase{"yes", Answer::Yes, true},
                                           AnswerCase{"no", Answer::No, false},
                                           AnswerCase{"cancel", Answer::Cancel, false}),
                         testing::CaseName());

// The staking goes on at the bar it stopped at; its angles, and so its way back, in the real
// text form.
TEST_F(StopTest, AStakingGoesOnWhereItStopped) {
    setFields({{ctl::kBarCount, "7"}});
    answerEveryLine();
    act(Click{ctl::kStake});
    const Lines whole = dev().written;
    dev().written.clear();
    stopAtLine(9);  // the rise of the second strike
    act(Click{ctl::kStake});
    act(Key{key::kRight});
    const std::size_t before = dev().written.size();
    answerEveryLine();
    window.answers.push_back(Answer::Yes);
    act(Click{ctl::kStake});
    ASSERT_EQ(window.questions.size(), 1u);
    EXPECT_EQ(window.questions[0].text,
              "Кернение остановлено на ламели 2 из 7.\n\nДа — продолжить с места остановки. Нет — "
              "начать кернение заново. Отмена — ничего не делать.");
    Lines expected = {"G0 E51.4285697937 F15000\r\n"};
    expected.insert(expected.end(), whole.begin() + 9, whole.end());
    EXPECT_EQ(
        Lines(dev().written.begin() + static_cast<std::ptrdiff_t>(before), dev().written.end()),
        expected);
    expectTheRecordIsTheMachine("staking");
}

// Anything that may declare the position anew gives the continuation up; jogs and the rotation
// buttons keep it.
struct DropCase {
    const char* name;
    std::vector<Input> inputs;
    bool drops;
};

const DropCase kDropCases[] = {
    {"ДАЛЕЕ", {Click{ctl::kNext}}, true},
    {"ДЛИНА 0", {Click{ctl::kLengthZero}}, true},
    {"ПАРКОВКА", {Click{ctl::kPark}}, true},
    {"ЗАМЕНА", {Click{ctl::kChange}}, true},
    {"УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ", {Click{ctl::kStartPosition}}, true},
    {"a command", {Click{ctl::kSend}}, true},
    {"Обновить", {Click{ctl::kRefresh}}, true},
    {"СБРОС", {Click{ctl::kReset}}, true},
    {"a pulled cable", {Unplug{}}, true},
    {"another section", {Click{ctl::kSection2}}, true},
    {"the staking", {Click{ctl::kStake}}, true},
    {"jog keys, jog buttons, rotation buttons",
     {Key{key::kUp}, Key{key::kNumpadPlus}, Click{ctl::kJogLengthDown}, Click{ctl::kRotateTo180},
      Click{ctl::kRotateSlotForward}},
     false},
};

using Continuation = testing::Each<StopTest, DropCase>;

TEST_P(Continuation, IsKeptOnlyByMovesTheRecordFollows) {
    const DropCase& c = GetParam();
    stopAtLine(39);
    act(Click{ctl::kSection1});
    answerEveryLine();
    for (const Input& input : c.inputs)
        act(input);
    ASSERT_TRUE(app.cycles().stoppedCycle(1).has_value()) << c.name;
    EXPECT_EQ(app.cycles().stoppedCycle(1)->continuable, !c.drops) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, Continuation, ::testing::ValuesIn(kDropCases), testing::CaseName());

// Once given up, the section's button says so once, and winds anew only when told to.
TEST_F(StopTest, AContinuationGivenUpIsSaidOnce) {
    stopAtLine(39);
    act(Click{ctl::kSection1});
    answerEveryLine();
    act(Click{ctl::kNext});
    dev().written.clear();
    window.answers.push_back(Answer::No);
    act(Click{ctl::kSection1});
    ASSERT_EQ(window.questions.size(), 1u);
    EXPECT_EQ(window.questions[0].text,
              "Секция 1 была остановлена на витке 4 из 10, но положение станка с тех пор объявлено "
              "заново: продолжить нельзя. Намотать секцию заново?");
    EXPECT_EQ(window.questions[0].choices, Choices::YesNo);
    EXPECT_EQ(window.questions[0].byDefault, Answer::No);
    EXPECT_TRUE(dev().written.empty());
    EXPECT_TRUE(window.enabled(ctl::kSection1));
    act(Click{ctl::kSection1});
    EXPECT_EQ(window.questions.size(), 1u);
    EXPECT_EQ(dev().written.size(), 100u);
}

// Stopped dipped at the far end of the stroke (turn 4: Y44, Z-4, E 5.7): the way back from where
// jogs took the machine. Nothing moves the length or the rotation below travel height.
struct ReturnCase {
    const char* name;
    std::vector<Input> jogs;
    Lines way;
};

const ReturnCase kReturnCases[] = {
    {"no jog: no line", {}, {}},
    {"the length, from below travel height",
     {Key{key::kUp}},
     {"G0 Z0 F15000\r\n", "G0 Y44 F15000\r\n", "G0 Z-4 F15000\r\n"}},
    {"the height alone", {Key{key::kNumpadMinus}}, {"G0 Z-4 F15000\r\n"}},
    {"at travel height, the length and the rotation",
     {Key{key::kNumpadPlus}, Key{key::kNumpadPlus}, Key{key::kNumpadPlus}, Key{key::kNumpadPlus},
      Key{key::kDown}, Key{key::kRight}},
     {"G0 Y44 F15000\r\n", "G0 E6 F15000\r\n", "G0 Z-4 F15000\r\n"}},
    {"above travel height, the rotation",
     {Click{ctl::kJogHeightUp}, Click{ctl::kRotateTo180}},
     {"G0 E6 F15000\r\n", "G0 Z-4 F15000\r\n"}},
};

using TheWayBack = testing::Each<StopTest, ReturnCase>;

TEST_P(TheWayBack, RisesMovesAndGoesDown) {
    const ReturnCase& c = GetParam();
    stopAtLine(39);  // "G0 Z-4" at Y44 in turn 4
    act(Click{ctl::kSection1});
    answerEveryLine();
    for (const Input& jog : c.jogs)
        act(jog);
    const std::size_t before = dev().written.size();
    stopAtLine(c.way.size() + 1);  // the way back, and the cycle's next line
    act(Click{ctl::kSection1});
    const Lines way(dev().written.begin() + static_cast<std::ptrdiff_t>(before),
                    dev().written.end() - 1);
    EXPECT_EQ(way, c.way) << c.name;
    EXPECT_EQ(dev().written.back(), "G0 E-156 F176000\r\n") << c.name;
    // Stopped again in its continuation: it can be continued again, from the line after.
    ASSERT_TRUE(app.cycles().stoppedCycle(1).has_value()) << c.name;
    EXPECT_TRUE(app.cycles().stoppedCycle(1)->continuable) << c.name;
    EXPECT_EQ(app.cycles().stoppedCycle(1)->block.turn, 4) << c.name;
    EXPECT_EQ(app.cycles().stoppedCycle(1)->at.step, 4u) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, TheWayBack, ::testing::ValuesIn(kReturnCases), testing::CaseName());

// Every step of a small section (3 turns) and a small staking (4 bars), each in a program of its
// own: СТОП in the wait of line i, then, with or without jogs of the length and the height, the
// cycle continued. The lines before the stop and those after the way back are the uninterrupted
// cycle's, line for line; the way back is moves at the approach's feed alone; the record is
// where the controller comes to rest.
class Operated : public StopTest {
  public:
    void TestBody() override {}
    void start() { SetUp(); }
    using StopTest::act;
    using StopTest::answerEveryLine;
    using StopTest::dev;
    using StopTest::expectTheRecordIsTheMachine;
    using StopTest::setFields;
    using StopTest::stopAtLine;
    using StopTest::window;
};

struct Cycle {
    const char* name;
    ControlId button;
};

class AnyStep : public ::testing::TestWithParam<Cycle> {};

TEST_P(AnyStep, StoppedThereAndContinuedGivesTheWholeCycle) {
    const Cycle& c = GetParam();
    const testing::Fields small = {{ctl::kSectionTurns1, "3"}, {ctl::kBarCount, "4"}};
    Operated uninterrupted;
    uninterrupted.start();
    uninterrupted.setFields(small);
    uninterrupted.answerEveryLine();
    uninterrupted.act(Click{c.button});
    const Lines whole = uninterrupted.dev().written;
    ASSERT_GT(whole.size(), 15u) << c.name;
    for (bool jogged : {false, true}) {
        for (std::size_t i = 1; i < whole.size(); ++i) {
            const std::string at =
                std::string(c.name) + ", line " + std::to_string(i) + (jogged ? ", jogged" : "");
            Operated op;
            op.start();
            op.setFields(small);
            op.stopAtLine(i);
            op.act(Click{c.button});
            ASSERT_EQ(op.dev().written,
                      Lines(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(i)))
                << at;
            op.answerEveryLine();
            if (jogged) {
                op.act(Key{key::kUp});
                op.act(Key{key::kNumpadPlus});
            }
            const std::size_t before = op.dev().written.size();
            op.window.answers.push_back(Answer::Yes);
            op.act(Click{c.button});
            const Lines after(op.dev().written.begin() + static_cast<std::ptrdiff_t>(before),
                              op.dev().written.end());
            ASSERT_GE(after.size(), whole.size() - i) << at;
            const std::size_t way = after.size() - (whole.size() - i);
            // The staking's punch, stopped below its travel height, rises to it first.
            EXPECT_LE(way, jogged ? 3u : c.button == ctl::kStake ? 1u : 0u) << at;
            for (std::size_t w = 0; w < way; ++w)
                EXPECT_NE(after[w].find(" F15000\r\n"), std::string::npos)
                    << at << ": " << after[w];
            EXPECT_TRUE(std::equal(after.begin() + static_cast<std::ptrdiff_t>(way), after.end(),
                                   whole.begin() + static_cast<std::ptrdiff_t>(i)))
                << at;
            op.expectTheRecordIsTheMachine(at.c_str());
            EXPECT_TRUE(op.window.faults.empty()) << at;
        }
    }
}
INSTANTIATE_TEST_SUITE_P(Cycles, AnyStep,
                         ::testing::Values(Cycle{"section", ctl::kSection1},
                                           Cycle{"staking", ctl::kStake}),
                         testing::CaseName());

}  // namespace
}  // namespace tarvel
