// The controller's own faults, seen and never guessed: a restart by its start-up text, wherever
// the program meets it; silence by the clock; a halt by its "Error:" line; a line that does not
// go out whole, as a device gone.
#include <gtest/gtest.h>

#include "fakes/app_fixture.h"
#include "platform/keys.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using memory::MemoryDevice;
using Lines = std::vector<std::string>;

constexpr const char* kRestarted =
    "Контроллер перезапустился (сброс или провал питания). Станок остановлен; положение, известное "
    "программе, потеряно. Выведите станок в исходную точку и нажмите «УСТАНОВИТЬ НАЧАЛЬНУЮ "
    "ПОЗИЦИЮ».";

class FaultTest : public testing::ConnectedFixture {
  protected:
    void SetUp() override {
        ConnectedFixture::SetUp();
        setFields(testing::workedExample("10"));
    }
    // How the status label read at each wait of the program, by the clock.
    struct Seen {
        std::int64_t atMs;
        std::string text;
        bool red;
        std::string tip;
    };
    void watchTheStatus() {
        window.idleEvent = [this] {
            seen.push_back({clock.now, window.text(ctl::kStatus),
                            window.controls[ctl::kStatus].front == colour::kDisconnected,
                            window.controls[ctl::kStatus].tip});
            return pressStopAt >= 0 && clock.now >= pressStopAt
                       ? Event::controlEvent(ctl::kStop, ControlEventKind::Clicked)
                       : Event::none();
        };
    }
    const Seen* seenAt(std::int64_t ms) {
        for (const Seen& s : seen)
            if (s.atMs >= ms) return &s;
        return nullptr;
    }
    std::vector<Seen> seen;
    std::int64_t pressStopAt = -1;
};

// Wherever the program meets the start-up text again, the operation sends nothing more, the
// position is declared zero on both sides and the winding controls wait for the start position.
struct Restart {
    const char* name;
    bool inASection;
    std::size_t atLine;  // the line it restarts at
    int textAfterMs;     // -1: instead of the "ok"; else that long after it
};

using ARestart = testing::Each<FaultTest, Restart>;

TEST_P(ARestart, StopsEverythingAndDeclaresTheZero) {
    const Restart& c = GetParam();
    dev().onWrite = [&c](MemoryDevice& d, const std::string&) {
        if (d.written.size() != c.atLine) return d.arrive("ok\n");
        if (c.textAfterMs >= 0) d.arrive("ok\n");
        d.arrive(memory::controllerIdentification(), std::max(c.textAfterMs, 1));
    };
    if (c.inASection) {
        window.click(ctl::kSection1);
    } else {
        window.key(key::kUp);
        window.wait(300);
    }
    runScript();
    const Lines written = dev().written;
    ASSERT_GE(written.size(), c.atLine + 1) << c.name;
    // The restart's own zero line, and nothing else after the line it restarted at.
    EXPECT_EQ(Lines(written.begin() + static_cast<std::ptrdiff_t>(c.atLine), written.end()),
              Lines{"G92 X0 Y0 Z0 E0\r\n"})
        << c.name;
    EXPECT_EQ(app.position().height, 0.0f) << c.name;
    EXPECT_EQ(app.position().length, 0.0f) << c.name;
    ASSERT_EQ(window.messages.size(), 1u) << c.name;
    EXPECT_EQ(window.messages[0], kRestarted) << c.name;
    for (ControlId id : windingControls())
        EXPECT_FALSE(window.enabled(id)) << c.name << ", control " << id;
    for (ControlId id : manualControls())
        EXPECT_TRUE(window.enabled(id)) << c.name << ", control " << id;
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен") << c.name;
    if (c.inASection) {
        ASSERT_TRUE(app.cycles().stoppedCycle(1).has_value()) << c.name;
        EXPECT_FALSE(app.cycles().stoppedCycle(1)->continuable) << c.name;
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, ARestart,
                         ::testing::Values(Restart{"in a wait for ok", true, 10, -1},
                                           Restart{"in the drain before a line", true, 10, 5},
                                           Restart{"at rest", false, 1, 200}),
                         testing::CaseName());

// A restart read just before a section's first line: nothing of the section goes out, and it is
// not wound (its bar, the section ДАЛЕЕ reads and its continuation stay as they were).
TEST_F(FaultTest, ASectionOfWhichNothingWentOutIsNotWound) {
    window.wait(200);
    window.step([this] { dev().arrive(memory::controllerIdentification()); });
    window.click(ctl::kSection1);
    runScript();
    EXPECT_EQ(dev().written, Lines{"G92 X0 Y0 Z0 E0\r\n"});
    EXPECT_EQ(app.layout().lastWoundSection, 0);
    EXPECT_EQ(window.state(ctl::kSectionProgress1), 0);
    EXPECT_FALSE(app.cycles().stoppedCycle(1).has_value());
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], kRestarted);
}

// A wait that hears nothing for 5 s says so, counting up, with the line errors the driver flagged
// (a noisy cable that ate the "ok" is not a silent controller); a byte ends it. A controller that
// sends its busy lines is never silent.
struct Silence {
    const char* name;
    bool busyLines;
    int lineErrors;
};

using Silent = testing::Each<FaultTest, Silence>;

TEST_P(Silent, ForFiveSecondsIsShown) {
    const Silence& c = GetParam();
    dev().onWrite = [&c](MemoryDevice& d, const std::string&) {
        d.lineErrors = c.lineErrors;
        if (c.busyLines)
            for (int ms = 2000; ms < 8000; ms += 2000)
                d.arrive("echo:busy: processing\n", ms);
        d.arrive("ok\n", 8000);
    };
    window.textLog.clear();
    const std::int64_t start = clock.now;
    window.key(key::kUp);
    runScript();
    using Shown = memory::MemoryWindow::Shown;
    const std::string errors = c.lineErrors ? ", ошибок линии: 3" : "";
    const std::vector<Shown> silent{{start + 5000, ctl::kStatus, "Нет ответа 5 с" + errors},
                                    {start + 6000, ctl::kStatus, "Нет ответа 6 с" + errors},
                                    {start + 7000, ctl::kStatus, "Нет ответа 7 с" + errors},
                                    {start + 8000, ctl::kStatus, "Подключен"}};
    EXPECT_EQ(window.textsOf(ctl::kStatus), c.busyLines ? std::vector<Shown>{} : silent) << c.name;
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен") << c.name;
    EXPECT_EQ(window.controls[ctl::kStatus].front, colour::kConnected) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, Silent,
                         ::testing::Values(Silence{"silent", false, 0}, Silence{"noisy", false, 3},
                                           Silence{"busy", true, 0}),
                         testing::CaseName());

// A halted controller's "Error:" line, in two pieces, in the middle of a section: the label says
// so within a second, cut to fit and whole under the pointer, the section ends at once and no
// line goes out after it; the label keeps it, and the next operation is told, until "Обновить"
// opens the port again. The same line while the program is idle is shown as soon.
struct Halt {
    const char* name;
    bool inASection;
};

using AHalt = testing::Each<FaultTest, Halt>;

TEST_P(AHalt, IsShownAndHoldsEveryLineUntilTheControllerIsOpenedAgain) {
    const Halt& c = GetParam();
    const std::size_t haltAt = c.inASection ? 12 : 1;
    std::int64_t haltedAtMs = -1;
    dev().onWrite = [&](MemoryDevice& d, const std::string&) {
        if (d.written.size() != haltAt) return d.arrive("ok\n");
        if (!c.inASection) d.arrive("ok\n");
        haltedAtMs = clock.now + 300;
        d.arrive("echo:M112 Shutdown\nErr", 299);
        d.arrive("or:Printer halted. kill() called!\n", 300);
    };
    window.click(c.inASection ? ctl::kSection1 : ctl::kJogHeightUp);
    // The operator looks at the label every 20 ms for two seconds.
    for (int i = 0; i < 100; ++i) {
        window.wait(20);
        window.step([this] {
            seen.push_back({clock.now, window.text(ctl::kStatus),
                            window.controls[ctl::kStatus].front == colour::kDisconnected,
                            window.controls[ctl::kStatus].tip});
        });
    }
    runScript();
    EXPECT_EQ(dev().written.size(), haltAt) << c.name;
    const Seen* shown = seenAt(haltedAtMs + 1000);
    ASSERT_TRUE(shown) << c.name;
    EXPECT_EQ(shown->text, "Ошибка контроллера: Printer halte…") << c.name;
    EXPECT_TRUE(shown->red) << c.name;
    EXPECT_NE(shown->tip.find("Ошибка контроллера: Printer halted. kill() called!"),
              std::string::npos)
        << c.name;
    EXPECT_EQ(window.text(ctl::kStatus), "Ошибка контроллера: Printer halte…") << c.name;
    EXPECT_TRUE(window.messages.empty()) << c.name;

    // Where the motors stopped the machine is not known; a move that needs no record is told.
    EXPECT_EQ(window.text(ctl::kReadout),
              "Текущее положение:\r\nВысота: не известна\r\nДлина: не известна\r\nПоворот: не "
              "известен\r\n")
        << c.name;
    window.click(ctl::kRotateTo0);
    runScript();
    EXPECT_EQ(dev().written.size(), haltAt) << c.name;
    ASSERT_EQ(window.messages.size(), 1u) << c.name;
    EXPECT_NE(window.messages[0].find("«Printer halted. kill() called!»"), std::string::npos)
        << c.name;

    dev().onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n"); };
    window.click(ctl::kRefresh);
    runScript();
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен") << c.name;
    EXPECT_EQ(dev().written.back(), "G92 X0 Y0 Z0 E0\r\n") << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, AHalt,
                         ::testing::Values(Halt{"in a section", true}, Halt{"at rest", false}),
                         testing::CaseName());

// A device that takes part of a line and then nothing more is stuck: the part waits in the
// controller without its line end, nothing more is written, the record stays, the status names
// the stuck device and the message ends with the system's reason.
class ACutWrite : public FaultTest, public ::testing::WithParamInterface<int> {};

TEST_P(ACutWrite, IsAStuckDevice) {
    const std::size_t taken = static_cast<std::size_t>(GetParam());
    dev().takesOnly = taken;
    window.textLog.clear();
    const std::int64_t start = clock.now;
    window.key(key::kUp);  // "G0 Y1F1500\r\n"
    runScript();
    EXPECT_EQ(dev().written, Lines{std::string("G0 Y1F1500\r\n").substr(0, taken)});
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(app.position().length, 0.0f);
    EXPECT_EQ(window.textsOf(ctl::kStatus).front().atMs, start + 500);
    EXPECT_EQ(window.text(ctl::kStatus), "COM1 не принимает данные");
    ASSERT_EQ(window.messages.size(), 1u);
    const std::string reason = " Система сообщает: «Время ожидания операции истекло (код 1460)».";
    EXPECT_EQ(window.messages[0].substr(window.messages[0].size() - reason.size()), reason);
}
INSTANTIATE_TEST_SUITE_P(EachByte, ACutWrite, ::testing::Range(0, 12));

// A write that hangs does not hold the window: СТОП ends the wait as it is pressed, a button
// pressed after it sends nothing behind the hung line, the stuck device is told half a second
// after the write, and "Обновить" connects again.
TEST_F(FaultTest, AHungWriteHoldsNothingBack) {
    dev().takesOnly = 4;
    window.textLog.clear();
    const std::int64_t start = clock.now;
    window.key(key::kUp);
    window.clickAt(start + 50, ctl::kStop);
    window.clickAt(start + 60, ctl::kLengthZero);
    runScript();
    const std::vector<memory::MemoryWindow::Shown> readout = window.textsOf(ctl::kReadout);
    ASSERT_FALSE(readout.empty());
    EXPECT_EQ(readout.front().atMs, start + 50);  // the jog's wait ended by СТОП
    EXPECT_EQ(dev().written, Lines{"G0 Y"});
    EXPECT_EQ(window.textsOf(ctl::kStatus).front().atMs, start + 500);
    EXPECT_EQ(window.text(ctl::kStatus), "COM1 не принимает данные");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].find("строка «G0 Y1F1500» ушла не вся"), std::string::npos)
        << window.messages[0];

    window.click(ctl::kRefresh);
    runScript();
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен");
    EXPECT_EQ(dev().written.back(), "G92 X0 Y0 Z0 E0\r\n");
}

}  // namespace
}  // namespace tarvel
