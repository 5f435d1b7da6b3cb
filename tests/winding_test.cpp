#include <gtest/gtest.h>

#include <cmath>

#include "fakes/app_fixture.h"
#include "platform/keys.h"
#include "ui/control_table.h"
#include "winding/section_program.h"

namespace tarvel {
namespace {

using memory::MemoryDevice;
using Lines = std::vector<std::string>;

// The worked example: H 40, D 50, S 12, depth 10, width 5, P 5, L 10, CW, T 2, speed 8.
const Lines kWorkedExample = {
    "G92 E0\r\n",           "M201 Y2400\r\n",       "G0 Y-4 F15000\r\n",    "G0 Z-4 F15000\r\n",
    "G0 E0 F15000\r\n",     "G0 Z0 F15000\r\n",     "G92 E0\r\n",           "M201 Y2400\r\n",
    "G0 Z0 E6 F176000\r\n", "G0 Y44 F96000\r\n",    "G0 Z-4 F96000\r\n",    "G0 E-156 F176000\r\n",
    "G0 Z0 F96000\r\n",     "G0 Y-4 F96000\r\n",    "G0 Z-4 F96000\r\n",    "G0 E0 F176000\r\n",
    "G0 Z0 F96000\r\n",     "M201 Y9600\r\n",       "G0 Z0 E6 F176000\r\n", "G0 Y44 F96000\r\n",
    "G0 Z-4 F96000\r\n",    "G0 E-156 F176000\r\n", "G0 Z0 F96000\r\n",     "G0 Y-4 F96000\r\n",
    "G0 Z-4 F96000\r\n",    "G0 Z-4 F96000\r\n",    "G0 E0 F15000\r\n",     "G0 Z15 F15000\r\n",
};

class WindingTest : public testing::ConnectedFixture {
  protected:
    void SetUp() override {
        ConnectedFixture::SetUp();
        setFields(testing::workedExample("2"));
    }
    Lines wind(int section = 1) {
        dev().written.clear();
        window.click(ctl::sectionButton(section));
        runScript();
        return dev().written;
    }
};

TEST_F(WindingTest, WorkedExampleByteForByte) {
    EXPECT_EQ(wind(), kWorkedExample);
    EXPECT_EQ(app.layout().lastWoundSection, 1);
    const TrackedPosition& at = app.position();
    EXPECT_EQ(at.height, 15.0f);
    EXPECT_EQ(at.length, -4.0f);
    EXPECT_EQ(at.rotation, 0.0f);
    EXPECT_EQ(app.speeds().accelStart, 2400);
    EXPECT_EQ(app.speeds().accelRun, 9600);
    EXPECT_EQ(app.speeds().feedE, 176000);
    EXPECT_EQ(app.speeds().feedYZ, 96000);
    EXPECT_EQ(window.state(ctl::kSectionProgress1), 100);
    EXPECT_EQ(window.state(ctl::kCycleProgress), 0);
    for (ControlId button : ctl::kSectionButtons)
        EXPECT_TRUE(window.enabled(button));

    // Anticlockwise: the two turn angles change sides.
    setFields({{ctl::kDirection, "1"}});
    Lines acw = kWorkedExample;
    acw[8] = acw[18] = "G0 Z0 E-6 F176000\r\n";
    acw[11] = acw[21] = "G0 E156 F176000\r\n";
    EXPECT_EQ(wind(), acw);
}

TEST_F(WindingTest, GeometryOfTheWorkedExample) {
    CommonParameters p{40, 50, 12, 10, 5, 5, 10, false};
    const SectionGeometry g = computeSectionGeometry(p);
    EXPECT_EQ(g.yStart, -4);
    EXPECT_EQ(g.yEnd, 44);
    EXPECT_EQ(g.dipDepth, -4.0f);
    EXPECT_EQ(g.slotHalfAngle, 5.7105932f);
    EXPECT_EQ(g.eStart, 5.7105932f);
    EXPECT_EQ(g.eThrow, -155.710587f);
}

TEST_F(WindingTest, TurnCounts) {
    // One turn: the start acceleration twice, no return pair, the dip repeated.
    setFields({{ctl::kSectionTurns1, "1"}});
    Lines one(kWorkedExample.begin(), kWorkedExample.begin() + 15);
    one.insert(one.end(), kWorkedExample.end() - 3, kWorkedExample.end());
    EXPECT_EQ(wind(), one);

    // No turn, or a negative count: approach, descent at the feed left before, departure.
    for (const char* turns : {"0", "-3", ""}) {
        setFields({{ctl::kSectionTurns1, turns}});
        Lines none(kWorkedExample.begin(), kWorkedExample.begin() + 7);
        none.push_back("G0 Z-4 F96000\r\n");  // the feed of the earlier cycle
        none.insert(none.end(), kWorkedExample.end() - 2, kWorkedExample.end());
        EXPECT_EQ(wind(), none) << turns;
    }
}

TEST_F(WindingTest, NoTurnBeforeAnyCycleDescendsAtTheStartFeed) {
    setFields({{ctl::kSectionTurns1, "0"}});
    EXPECT_EQ(wind()[7], "G0 Z-4 F120000\r\n");
}

TEST_F(WindingTest, ProgressForThreeTurns) {
    setFields({{ctl::kSectionTurns2, "3"}});
    window.stateLog.clear();
    wind(2);
    std::vector<int> section, cycle;
    for (const auto& [id, value] : window.stateLog) {
        if (id == ctl::kSectionProgress2) section.push_back(value);
        if (id == ctl::kCycleProgress) cycle.push_back(value);
    }
    EXPECT_EQ(section, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(cycle, (std::vector<int>{0, 33, 66, 100, 0}));
    EXPECT_EQ(app.layout().lastWoundSection, 2);
    EXPECT_EQ(app.events().last().kind, EventKind::None);  // after section 2 only
}

TEST_F(WindingTest, SpeedMovedDuringTheCycleCountsFromTheNextTurn) {
    setFields({{ctl::kSectionTurns1, "5"}});
    int turnStarts = 0;
    auto answer = dev().onWrite;
    dev().onWrite = [&](MemoryDevice& d, const std::string& line) {
        if (line.rfind("G0 Z0 E6 ", 0) == 0 && ++turnStarts == 3)
            window.controls[ctl::kWindingSpeed].state = 10;
        // Section buttons stay disabled while the cycle runs.
        EXPECT_FALSE(window.enabled(ctl::kSection1));
        answer(d, line);
    };
    const Lines lines = wind();
    int fast = 0;
    for (const auto& line : lines)
        fast += line.find("F220000") != std::string::npos;
    EXPECT_EQ(fast, 3 + 2);  // E moves of turn 4 (start, throw, return) and turn 5 (no return)
    EXPECT_EQ(lines[lines.size() - 3], "G0 Z-4 F120000\r\n");
    EXPECT_EQ(app.speeds().accelRun, 9600);
}

TEST_F(WindingTest, RoundingOfTargets) {
    setFields({{ctl::kSlotDepth, "6.25"},
               {ctl::kCommutatorDistance, "3.5"},
               {ctl::kRotationBefore, "90.7"},
               {ctl::kSectionTurns1, "1"}});
    const Lines lines = wind();
    EXPECT_EQ(lines[2], "G0 Y2 F15000\r\n");   // 2.5 to the even 2
    EXPECT_EQ(lines[3], "G0 Z-2 F15000\r\n");  // -2.5 to the even -2
    EXPECT_EQ(lines[4], "G0 E90 F15000\r\n");
    EXPECT_EQ(app.position().height, 15.0f);
    setFields({{ctl::kCommutatorDistance, "4.5"}, {ctl::kSectionTurns1, "0"}});
    EXPECT_EQ(wind()[2], "G0 Y2 F15000\r\n");  // 1.5 to the even 2
}

TEST_F(WindingTest, WithoutConnectionTheCycleRunsThroughAndTracks) {
    app.link().close();
    wind();
    EXPECT_TRUE(dev().written.empty());
    EXPECT_EQ(app.layout().lastWoundSection, 1);
    EXPECT_EQ(window.state(ctl::kSectionProgress1), 100);
    EXPECT_EQ(app.position().height, 15.0f);
}

struct ParametersThatWouldSendTheMachineAwayAreRefusedCase {
    std::initializer_list<std::pair<ControlId, const char*>> fields;
    const char* field;
};

const ParametersThatWouldSendTheMachineAwayAreRefusedCase
    kParametersThatWouldSendTheMachineAwayAreRefusedCases[] = {
        {{{ctl::kSlotCount, "0"}}, "КОЛИЧЕСТВО ПАЗОВ"},
        {{{ctl::kCoreDiameter, "0"}, {ctl::kSlotWidth, "0"}}, "ДИАМЕТР МАГНИТОПРОВОДА"},
        {{{ctl::kCoreHeight, "NaN"}}, "ВЫСОТА МАГНИТОПРОВОДА"},
        {{{ctl::kCommutatorDistance, "+Infinity"}}, "РАССТОЯНИЕ ДО КОЛЛЕКТОРА"},
        {{{ctl::kCommutatorDistance, "3e9"}}, "РАССТОЯНИЕ ДО КОЛЛЕКТОРА"},
        {{{ctl::kSlotDepth, "1e10"}}, "ГЛУБИНА ПАЗА"},
        {{{ctl::kPoles, "99999999999"}}, "КОЛИЧЕСТВО ПОЛЮСОВ В СЕКЦИИ"},
        {{{ctl::kRotationBefore, "99999999999"}}, "ПОВОРОТ ДО НАМОТКИ"},
        {{{ctl::kRotationAfter, "-99999999999"}}, "ПОВОРОТ ПОСЛЕ НАМОТКИ"},
        // Integers beyond the 32-bit range, and the -2147483648 of a failed rounding.
        {{{ctl::kRotationBefore, "-2147483649"}}, "ПОВОРОТ ДО НАМОТКИ"},
        {{{ctl::kRotationBefore, "-2147483648"}}, "ПОВОРОТ ДО НАМОТКИ"},
        {{{ctl::kRotationAfter, "2147483648"}}, "ПОВОРОТ ПОСЛЕ НАМОТКИ"},
        {{{ctl::kSlotDepth, "5368709120"}}, "ГЛУБИНА ПАЗА"},
};

using ParametersThatWouldSendTheMachineAwayAreRefused =
    testing::Each<WindingTest, ParametersThatWouldSendTheMachineAwayAreRefusedCase>;

TEST_P(ParametersThatWouldSendTheMachineAwayAreRefused, EachCase) {
    const ParametersThatWouldSendTheMachineAwayAreRefusedCase& c = GetParam();
    wind();
    setFields(c.fields);
    app.position() = {1.5f, 2.5f, 3.5f};
    window.controls[ctl::kSectionProgress1].state = 40;
    window.messages.clear();
    EXPECT_TRUE(wind().empty()) << c.field;
    ASSERT_EQ(window.messages.size(), 1u) << c.field;
    EXPECT_NE(window.messages[0].find(c.field), std::string::npos) << window.messages[0];
    EXPECT_EQ(app.layout().lastWoundSection, 1);
    EXPECT_EQ(app.position().height, 1.5f);
    EXPECT_EQ(app.position().rotation, 3.5f);
    EXPECT_EQ(window.state(ctl::kSectionProgress1), 40);
    for (ControlId button : ctl::kSectionButtons)
        EXPECT_TRUE(window.enabled(button));
}
INSTANTIATE_TEST_SUITE_P(Cases, ParametersThatWouldSendTheMachineAwayAreRefused,
                         ::testing::ValuesIn(kParametersThatWouldSendTheMachineAwayAreRefusedCases),
                         testing::CaseName());

// No controller: the cycle takes its last state at once, as if it had counted through every turn.
TEST_F(WindingTest, WithoutAControllerTheCycleEndsAtOnceAsIfItHadCountedThrough) {
    window.controls[ctl::kWindingSpeed].state = 5;
    setFields({{ctl::kSectionTurns1, "3"}});
    wind();  // every line sent: the state to be left
    const TrackedPosition full = app.position();

    window.controls[ctl::kWindingSpeed].state = 5;
    setFields({{ctl::kSectionTurns1, "100000"}});
    app.link().close();
    port.isOpenQueries = 0;
    wind();
    EXPECT_LT(port.isOpenQueries, 100);  // no counting through the turns
    EXPECT_EQ(app.position().height, full.height);
    EXPECT_EQ(app.position().length, full.length);
    EXPECT_EQ(app.position().rotation, full.rotation);
    EXPECT_EQ(app.speeds().feedE, 110000);
    EXPECT_EQ(app.speeds().feedYZ, 60000);
    EXPECT_EQ(app.layout().lastWoundSection, 1);
    EXPECT_EQ(window.state(ctl::kSectionProgress1), 100);
    EXPECT_EQ(window.state(ctl::kCycleProgress), 0);
    EXPECT_TRUE(window.enabled(ctl::kSection4));
}

// The key-down that the cycle's last wait took jogs after section 1, and is dropped after
// section 2.
class AKeyTakenLastByACycle : public WindingTest, public ::testing::WithParamInterface<int> {};

TEST_P(AKeyTakenLastByACycle, JogsAfterItButNotAfterSection2) {
    const int section = GetParam();
    setFields({{ctl::kSectionTurns1, "1"}, {ctl::kSectionTurns2, "1"}});
    auto answer = dev().onWrite;
    dev().onWrite = [&](MemoryDevice& d, const std::string& line) {
        if (line == "G0 Z15 F15000\r\n") window.key(key::kUp);  // taken by the last wait
        answer(d, line);
    };
    const Lines lines = wind(section);
    EXPECT_EQ(lines.back() == "G0 Y-3F1500\r\n", section == 1) << section;
}
INSTANTIATE_TEST_SUITE_P(Sections, AKeyTakenLastByACycle, ::testing::Values(1, 2));

TEST_F(WindingTest, Staking) {
    auto stake = [&] {
        dev().written.clear();
        window.click(ctl::kStake);
        runScript();
        return dev().written;
    };
    auto strike = [](int power) {
        return Lines{"G0 Z0 F" + std::to_string(3000 * power) + "\r\n", "G04 X0.1\r\n",
                     "G0 Z20 F12000\r\n"};
    };
    auto expected = [&](int power, const std::vector<std::string>& angles) {
        Lines lines{"G92 Z0 E0 \r\n", "G0 Z20 F5000\r\n"};
        for (const auto& a : angles) {
            for (const auto& l : strike(power))
                lines.push_back(l);
            lines.push_back("G0 E" + a + " F120000\r\n");
        }
        return lines;
    };
    setFields({{ctl::kBarCount, "1"}});
    EXPECT_EQ(stake(), expected(1, {"360"}));
    setFields({{ctl::kBarCount, "3"}});
    window.controls[ctl::kStakingPower].state = 5;
    EXPECT_EQ(stake(), expected(5, {"120", "240", "360"}));
    setFields({{ctl::kBarCount, "7"}});
    window.controls[ctl::kStakingPower].state = 10;
    EXPECT_EQ(stake(), expected(10, {"51.4285697937", "102.8571395874", "154.2857208252",
                                     "205.7142791748", "257.1428527832", "308.5714416504", "360"}));
    EXPECT_EQ(app.position().rotation, 360.0f);
    EXPECT_EQ(app.position().height, 20.0f);
    setFields({{ctl::kBarCount, "12"}});
    const Lines twelve = stake();
    EXPECT_EQ(twelve.size(), 2u + 12 * 4);
    EXPECT_EQ(twelve[5], "G0 E30 F120000\r\n");
    for (const char* bars : {"0", "-4", ""}) {
        setFields({{ctl::kBarCount, bars}});
        EXPECT_TRUE(stake().empty()) << bars;
    }
}

TEST_F(WindingTest, StartPosition) {
    window.controls[ctl::kCommutatorDistance].text = "";
    window.click(ctl::kStartPosition);
    runScript();
    EXPECT_EQ(dev().written, (Lines{"G92 X0 Y0 Z0 E0\r\n", "M17\r\n", "G0 Y6 Z15 F3000\r\n"}));
    for (ControlId id : windingControls())
        EXPECT_TRUE(window.enabled(id)) << id;
    // The record is where the move takes the machine: the start of the stroke, at height 15.
    EXPECT_EQ(app.position().height, 15.0f);
    EXPECT_EQ(app.position().length, 6.0f);

    dev().written.clear();
    window.controls[ctl::kCommutatorDistance].text = "2.5";
    window.click(ctl::kStartPosition);
    runScript();
    EXPECT_EQ(dev().written.back(), "G0 Y4 Z15 F3000\r\n");
    EXPECT_EQ(window.text(ctl::kReadout),
              "Текущее положение:\r\nВысота: 15мм\r\nДлина: 4мм\r\nПоворот: 0°\r\n");
}

// The computer must not sleep while the machine is driven: one request for the whole section,
// let go once the program is idle in its main loop again; none without a controller.
TEST_F(WindingTest, TheComputerStaysAwakeWhileLinesGoOut) {
    std::vector<bool> awake;
    dev().onWrite = [&](MemoryDevice& d, const std::string&) {
        awake.push_back(power.awake());
        d.arrive("ok\n");
    };
    window.idle(1);  // the start-up's zero line is let go first
    runScript();
    power.changes.clear();
    wind();
    EXPECT_EQ(awake, std::vector<bool>(kWorkedExample.size(), true));
    EXPECT_EQ(power.changes, (std::vector<bool>{true, false}));
    app.link().close();
    power.changes.clear();
    wind();
    EXPECT_TRUE(power.changes.empty());
}

// A cable pulled in the middle of an operation ends it as СТОП would; the port is closed, the
// label turns red, the machine controls are disabled (also the section buttons the cycle enables
// at its end) and the operator is told which line may not have been carried out. Once the
// controller is back, "Обновить" finds it.
struct APulledCableEndsTheOperationAndClosesThePortCase {
    const char* name;
    std::size_t vanishAtLine;  // 0: unplugged before the first line
    ControlId click;           // a control clicked, or none
    int key;                   // else a key pressed
    std::size_t written;
    const char* line;  // named in the message
};

const APulledCableEndsTheOperationAndClosesThePortCase
    kAPulledCableEndsTheOperationAndClosesThePortCases[] = {
        {"while the 10th line of a section waits for its ok", 10, ctl::kSection1, 0, 10,
         "G0 Y44 F96000"},
        // The device takes nothing more, the moment the key's line is written.
        {"a jog key's line", 0, {}, key::kUp, 1, "G0 Y1F1500"},
        {"while the staking's dwell waits", 4, ctl::kStake, 0, 4, "G04 X0.1"},
};

using APulledCableEndsTheOperationAndClosesThePort =
    testing::Each<WindingTest, APulledCableEndsTheOperationAndClosesThePortCase>;

TEST_P(APulledCableEndsTheOperationAndClosesThePort, EachCase) {
    const APulledCableEndsTheOperationAndClosesThePortCase& c = GetParam();
    setFields({{ctl::kBarCount, "7"}});  // bars to stake
    if (c.vanishAtLine == 0) dev().takesOnly = 0;
    dev().onWrite = [&c](MemoryDevice& d, const std::string&) {
        if (d.written.size() == c.vanishAtLine)
            d.vanishAfter(1);
        else
            d.arrive("ok\n");
    };
    if (c.key) window.key(c.key);
    if (kEveryControl.contains(c.click)) window.click(c.click);
    runScript();
    EXPECT_EQ(dev().written.size(), c.written) << c.name;
    EXPECT_FALSE(port.isOpen()) << c.name;
    EXPECT_EQ(window.text(ctl::kStatus),
              c.vanishAtLine == 0 ? "COM1 не принимает данные" : "Не подключен")
        << c.name;
    EXPECT_EQ(window.controls[ctl::kStatus].front, colour::kDisconnected) << c.name;
    for (ControlId id : machineControls())
        EXPECT_FALSE(window.enabled(id)) << c.name << ", control " << id;
    ASSERT_EQ(window.messages.size(), 1u) << c.name;
    EXPECT_NE(window.messages[0].find(std::string("«") + c.line + "»"), std::string::npos)
        << c.name << ": " << window.messages[0];

    dev() = memory::controller(memory::controllerIdentification());
    dev().written.clear();
    window.click(ctl::kRefresh);
    runScript();
    EXPECT_EQ(dev().written, Lines{"G92 X0 Y0 Z0 E0\r\n"}) << c.name;
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен") << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, APulledCableEndsTheOperationAndClosesThePort,
                         ::testing::ValuesIn(kAPulledCableEndsTheOperationAndClosesThePortCases),
                         testing::CaseName());

// The system reports the controller's port removed (a driver that gives no error of its own):
// noticed while idle, in a wait and in a paused wait, as a pulled cable; the removal of another
// port changes nothing.
struct Removal {
    const char* name;
    int port;          // COMn removed
    bool inSection;    // during the 10th line's wait of a section, else while idle
    bool paused;       // ПАУЗА pressed first in that wait
    const char* says;  // in the message; null: no message, the connection stays
    friend void PrintTo(const Removal& r, std::ostream* out) { *out << r.name; }
};

class PortRemovalTest : public WindingTest, public ::testing::WithParamInterface<Removal> {};

TEST_P(PortRemovalTest, IsNoticedAsAPulledCable) {
    const Removal& c = GetParam();
    std::size_t acted = 0;
    dev().onWrite = [](MemoryDevice& d, const std::string&) {
        if (d.written.size() != 10) d.arrive("ok\n");  // the 10th line: no answer, no error
    };
    // In the wait: ПАУЗА when asked for, the removal, and СТОП for a wait the removal leaves.
    std::vector<Event> operatorActs;
    if (c.paused)
        operatorActs.push_back(Event::controlEvent(ctl::kPause, ControlEventKind::Clicked));
    operatorActs.push_back(Event::portRemoved(c.port));
    operatorActs.push_back(Event::controlEvent(ctl::kStop, ControlEventKind::Clicked));
    window.idleEvent = [&]() {
        if (!c.inSection || dev().written.size() != 10 || acted == operatorActs.size())
            return Event::none();
        return operatorActs[acted++];
    };
    if (c.inSection) window.click(ctl::kSection1);
    if (!c.inSection) window.removePort(c.port);
    runScript();

    if (!c.says) {
        EXPECT_TRUE(port.isOpen()) << c.name;
        EXPECT_TRUE(window.messages.empty()) << c.name;
        return;
    }
    EXPECT_FALSE(port.isOpen()) << c.name;
    EXPECT_EQ(dev().written.size(), c.inSection ? 10u : 0u) << c.name;
    EXPECT_EQ(window.text(ctl::kStatus), "Не подключен") << c.name;
    for (ControlId id : machineControls())
        EXPECT_FALSE(window.enabled(id)) << c.name << ", control " << id;
    ASSERT_EQ(window.messages.size(), 1u) << c.name;
    EXPECT_NE(window.messages[0].find(c.says), std::string::npos) << window.messages[0];
    EXPECT_FALSE(app.runControl().paused()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortRemovalTest,
    ::testing::Values(Removal{"idle", 1, false, false,
                              "Программа в это время ничего не отправляла"},
                      Removal{"another port, idle", 2, false, false, nullptr},
                      Removal{"in a wait", 1, true, false, "«G0 Y44 F96000»"},
                      Removal{"in a paused wait", 1, true, true, "«G0 Y44 F96000»"},
                      Removal{"another port, in a wait", 3, true, false, nullptr}));

}  // namespace
}  // namespace tarvel
