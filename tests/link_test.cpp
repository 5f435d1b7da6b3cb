#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/app_fixture.h"
#include "link/identification.h"
#include "platform/keys.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using memory::controller;
using memory::controllerIdentification;
using memory::MemoryDevice;
using memory::MemorySerialPort;

const std::string kZeroLine = "G92 X0 Y0 Z0 E0\r\n";

class LinkTest : public testing::AppFixture {
  protected:
    LinkTest() { window.clock = &clock; }

    void startUp() {
        window.closeWhenIdle = false;
        ASSERT_TRUE(app.startUp());
    }
    bool manualEnabled() {
        for (ControlId id : manualControls())
            if (!window.enabled(id)) return false;
        return true;
    }
    bool windingEnabled() {
        for (ControlId id : windingControls())
            if (window.enabled(id)) return true;
        return false;
    }
    MemoryDevice& device(const std::string& name) { return port.devices.at(name); }
};

// The controller's own bytes, written out: the program's constants must match them, not the
// other way round.
const std::string kAuthor = "Tarvel motion firmware - A.V. Korolev";
const std::string kDate = "2021-12-25 | ";

TEST(Identification, Marks) {
    const std::string id = controllerIdentification();
    ASSERT_GE(id.size(), 128u);
    EXPECT_EQ(id.substr(55, 37), kAuthor);
    EXPECT_TRUE(identifiesController(examinedPart(id)));

    std::string authorOnly(55, '#');
    authorOnly += kAuthor;
    authorOnly += std::string(40, '#');
    EXPECT_TRUE(identifiesController(examinedPart(authorOnly)));
    EXPECT_FALSE(identifiesController(examinedPart("#" + authorOnly)));  // bytes 57 to 93

    std::string dateLate(100, '#');
    EXPECT_TRUE(identifiesController(examinedPart(dateLate.replace(79, 13, kDate))));
    EXPECT_FALSE(identifiesController(examinedPart(std::string(100, '#').replace(80, 13, kDate))));
    std::string zeroFirst = std::string("ab\0", 3) + kDate + std::string(120, '#');
    EXPECT_FALSE(identifiesController(examinedPart(zeroFirst)));
    // With a zero byte after it, the author line ends the examined text early.
    std::string shortText = kAuthor + std::string(1, '\0') + std::string(90, '#');
    EXPECT_TRUE(identifiesController(examinedPart(shortText)));
    EXPECT_FALSE(identifiesController("2021-12-25 |"));
}

// The system names the port of a removed device; only "COMn" names count.
TEST(ComPortNumber, Names) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"COM3", 3},    {"com3", 3},  {"Com256", 256},     {"COM1", 1},
        {"COM257", {}}, {"COM0", {}}, {"COM03", {}},       {"COM", {}},
        {"COM3 ", {}},  {"LPT1", {}}, {"\\\\.\\COM3", {}}, {"COM1000", {}},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(comPortNumber(name), number) << name;
}

TEST_F(LinkTest, ControllerOnCom3Only) {
    port.devices["COM3"] = controller(controllerIdentification());
    startUp();
    EXPECT_EQ(port.opened, (std::vector<std::string>{"COM3"}));
    EXPECT_EQ(app.linkState().firstPortToTry, 3);
    EXPECT_EQ(window.text(ctl::kStatus), "Подключен");
    EXPECT_EQ(window.controls[ctl::kStatus].front, colour::kConnected);
    EXPECT_EQ(device("COM3").written, (std::vector<std::string>{kZeroLine}));
    EXPECT_TRUE(manualEnabled());
    EXPECT_FALSE(windingEnabled());

    // "Обновить" starts at COM3, closes first and declares the start position again.
    app.position() = {1, 2, 3};
    window.click(ctl::kRefresh);
    window.step([&] { EXPECT_FALSE(port.isOpen() && port.device()->opens == 1); });
    runScript();
    EXPECT_EQ(port.opened, (std::vector<std::string>{"COM3", "COM3"}));
    EXPECT_EQ(device("COM3").written, (std::vector<std::string>{kZeroLine, kZeroLine}));
    EXPECT_EQ(app.position().height, 0.0f);
    EXPECT_EQ(app.position().length, 0.0f);
    EXPECT_EQ(app.position().rotation, 0.0f);
}

TEST_F(LinkTest, OtherDeviceIsPassedOver) {
    port.devices["COM1"] =
        controller("Some other device, version 3, nothing to see here. " + std::string(100, '-'));
    port.devices["COM4"] = controller(controllerIdentification());
    startUp();
    EXPECT_EQ(port.opened, (std::vector<std::string>{"COM1", "COM4"}));
    EXPECT_TRUE(device("COM1").written.empty());
    EXPECT_EQ(app.linkState().firstPortToTry, 4);
    EXPECT_EQ(device("COM4").written.size(), 1u);
}

TEST_F(LinkTest, ControllerOnCom200) {
    port.devices["COM200"] = controller(controllerIdentification());
    startUp();
    EXPECT_EQ(app.linkState().firstPortToTry, 200);
    window.click(ctl::kRefresh);
    runScript();
    EXPECT_EQ(port.opened, (std::vector<std::string>{"COM200", "COM200"}));
}

TEST_F(LinkTest, SearchBeginsAtTheRememberedPort) {
    port.devices["COM5"] = controller(controllerIdentification());
    startUp();
    // The controller comes back as COM3: the search from COM5 up does not find it.
    port.devices.erase("COM5");
    port.devices["COM3"] = controller(controllerIdentification());
    window.click(ctl::kRefresh);
    runScript();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(app.linkState().firstPortToTry, 5);
    EXPECT_EQ(window.text(ctl::kStatus), "Не подключен");
    EXPECT_EQ(window.controls[ctl::kStatus].front, colour::kDisconnected);
    for (ControlId id : machineControls())
        EXPECT_FALSE(window.enabled(id)) << id;
}

TEST_F(LinkTest, ShortOrSilentDevicesDoNotHoldTheSearch) {
    port.devices["COM1"] = controller("");                                         // silent
    port.devices["COM2"] = controller(controllerIdentification().substr(0, 100));  // stops short
    port.devices["COM7"] = controller(controllerIdentification());
    startUp();
    EXPECT_EQ(port.opened, (std::vector<std::string>{"COM1", "COM2", "COM7"}));
    EXPECT_EQ(app.linkState().firstPortToTry, 7);
    // Three ports answered within 1.2 s; the short one got its extra second; the controller's
    // line then went quiet for 100 ms.
    EXPECT_GE(clock.now, 3 * 1200 + 1000 + 100);
    EXPECT_LE(clock.now, 3 * 1200 + 1000 + 100 + 10);
}

struct NotTheController {
    const char* name;
    std::string identification;
};

std::vector<NotTheController> notTheController() {
    return {{"other device", "Some other device. " + std::string(120, '-')},
            {"silent", ""},
            {"stops short", controllerIdentification().substr(0, 60)}};
}

using APortThatFailsToIdentify = testing::Each<LinkTest, NotTheController>;

TEST_P(APortThatFailsToIdentify, MakesTheNextSearchStartAtCom1) {
    const NotTheController& c = GetParam();
    port.devices["COM5"] = controller(controllerIdentification());
    startUp();
    // The controller comes back as COM2; COM5 now holds a device that is not it.
    port.devices["COM5"] = controller(c.identification);
    port.devices["COM2"] = controller(controllerIdentification());
    window.click(ctl::kRefresh);
    runScript();
    EXPECT_FALSE(port.isOpen()) << c.name;
    EXPECT_EQ(app.linkState().firstPortToTry, 1) << c.name;
    window.click(ctl::kRefresh);
    runScript();
    EXPECT_EQ(app.linkState().firstPortToTry, 2) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, APortThatFailsToIdentify, ::testing::ValuesIn(notTheController()),
                         testing::CaseName());

TEST_F(LinkTest, NoControllerNothingSent) {
    startUp();
    EXPECT_FALSE(port.isOpen());
    window.controls[ctl::kCommandBox].text = "G0 Y5";
    window.click(ctl::kSend);
    runScript();
    EXPECT_LT(window.waits, 10);  // nothing waited for
}

class ExchangeTest : public LinkTest {
  protected:
    void SetUp() override {
        port.devices["COM1"] = controller(controllerIdentification());
        startUp();
        dev = &device("COM1");
        dev->written.clear();
    }
    CommandExchange& exchange() { return app.exchange(); }
    MemoryDevice* dev = nullptr;
};

TEST_F(LinkTest, StartUpTextIsDrainedBeforeTheFirstLine) {
    // The start-up text goes on after the identification, in pieces, with "ok" inside words:
    // none of it may answer the zero line, which the controller answers a little later.
    MemoryDevice d = controller(controllerIdentification());
    d.startUpTail = {{3, "echo: look for updates\r\n"}, {8, "echo: token 7\r\n"}};  // ms
    d.onWrite = [](MemoryDevice& self, const std::string&) { self.arrive("ok\n", 4); };
    port.devices["COM1"] = d;
    startUp();
    EXPECT_EQ(device("COM1").written, (std::vector<std::string>{kZeroLine}));
    // The zero line took its own "ok": nothing is left to answer the next line early.
    EXPECT_TRUE(device("COM1").arrivals.empty());
    EXPECT_EQ(port.bytesWaiting(), 0);
}

struct Acknowledgement {
    const char* name;
    std::vector<std::pair<int, std::string>> replies;  // milliseconds after the line, bytes
    int readsToEnd;                                    // reads until acknowledged
};

std::vector<Acknowledgement> acknowledgements() {
    return {
        {"ok and line feed", {{0, "ok\n"}}, 1},
        {"text, then ok later", {{0, "echo: busy\n"}, {5, "ok\n"}}, 2},
        {"ok inside a word", {{0, "token\n"}}, 1},
        {"ok after 95 bytes", {{0, std::string(95, 'x') + "ok\n"}}, 1},
        {"ok split over two reads", {{0, "o"}, {3, "k\n"}}, 2},
        {"ok after a zero byte", {{0, std::string("Z\0ok", 4)}}, 1},
    };
}

using AcknowledgementRules = testing::Each<ExchangeTest, Acknowledgement>;

TEST_P(AcknowledgementRules, EndTheWaitAtTheReadThatHoldsTheOk) {
    const Acknowledgement& c = GetParam();
    dev->onWrite = [&c](MemoryDevice& d, const std::string&) {
        for (const auto& [delayMs, bytes] : c.replies)
            d.arrive(bytes, delayMs);
    };
    const int readsBefore = port.reads;
    exchange().sendLine("G0 Y1\r\n");
    EXPECT_FALSE(app.runControl().stopRequested()) << c.name;
    EXPECT_TRUE(dev->arrivals.empty()) << c.name << ": ended before the last reply";
    EXPECT_EQ(port.reads - readsBefore, c.readsToEnd) << c.name;
    EXPECT_EQ(dev->written.size(), 1u);
}
INSTANTIATE_TEST_SUITE_P(Cases, AcknowledgementRules, ::testing::ValuesIn(acknowledgements()),
                         testing::CaseName());

TEST_F(ExchangeTest, NoOkNoEnd) {
    dev->onWrite = [](MemoryDevice& d, const std::string&) {
        d.arrive("error: unknown command\n");
        d.arrive("o k\n", 2);
        d.arrive("OK\n", 4);
    };
    std::string lastReply;
    exchange().observeReplies([&lastReply](const std::string& reply) { lastReply = reply; });
    for (int ms = 0; ms < 6; ++ms)
        window.wait(1);        // each reply in a read of its own
    window.click(ctl::kStop);  // pressed once the replies were examined
    exchange().sendLine("G0 Y1\r\n");
    EXPECT_TRUE(app.runControl().stopRequested());
    EXPECT_EQ(lastReply, "OK\n");
}

TEST_F(ExchangeTest, BytesBeforeTheLineNeverCount) {
    dev->arrive("ok\n");  // a late acknowledgement of an earlier line
    dev->onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n", 10); };
    port.bytesWaiting();
    exchange().sendLine("M17\r\n");
    EXPECT_TRUE(dev->arrivals.empty());  // waited for the new "ok"
    EXPECT_FALSE(app.runControl().stopRequested());
}

TEST_F(ExchangeTest, StopEndsTheWaitAndSkipsTheRestOfTheHandler) {
    dev->onWrite = [](MemoryDevice&, const std::string&) {};  // silent
    window.click(ctl::kPause);  // a paused wait is ended by СТОП too, and the pause with it
    window.click(ctl::kStop);
    exchange().sendLine("G0 Y1\r\n");
    exchange().sendLine("G0 Y2\r\n");
    exchange().sendLine("G0 Y3\r\n");
    EXPECT_EQ(dev->written, (std::vector<std::string>{"G0 Y1\r\n"}));
    EXPECT_TRUE(app.runControl().stopRequested());
    EXPECT_FALSE(app.runControl().paused());

    // The next handler, started from the main loop, sends normally.
    dev->onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n"); };
    window.controls[ctl::kCommandBox].text = "G0 Y4";
    window.click(ctl::kSend);
    runScript();
    EXPECT_EQ(dev->written.back(), "G0 Y4\r\n");
    EXPECT_FALSE(app.runControl().stopRequested());
}

TEST_F(ExchangeTest, PauseTwiceResumesReading) {
    dev->onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n"); };
    window.click(ctl::kPause);
    window.idle(50);  // waits while paused: no reading
    window.step([&] { EXPECT_EQ(port.bytesWaiting(), 3); });
    window.click(ctl::kPause);
    exchange().sendLine("G0 Y1\r\n");
    EXPECT_FALSE(app.runControl().paused());
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(window.scriptDone());
}

TEST_F(ExchangeTest, OtherEventsDuringAWaitAreConsumed) {
    dev->onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n", 20); };
    window.controls[ctl::kCommandBox].text = "G0 Y1";
    window.click(ctl::kSend);
    window.click(ctl::kRefresh);  // taken by the wait: no reconnect
    window.key(key::kUp);
    window.idle(30);
    runScript();
    EXPECT_EQ(port.opened.size(), 1u);
    EXPECT_EQ(dev->written, (std::vector<std::string>{"G0 Y1\r\n"}));
}

// The box's lines go out one by one, each waiting for its "ok"; an empty line or a comment, which
// the controller would not answer, does not go out; a line that would change how the program's
// own lines are read, or one the controller would cut, holds the whole box back and says why.
TEST_F(ExchangeTest, CommandBoxTexts) {
    dev->onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n"); };
    const auto send = [&](std::string text) {
        window.step([this, text] { window.controls[ctl::kCommandBox].text = text; });
        window.click(ctl::kSend);
        window.idle(3);  // waits that find nothing, in which the "ok"s are read
    };
    send("");
    send("G0 Y1\r\n\r\n; a comment\r\nG0 Y2");
    send("M117 Привет");
    send("G90\r\nG91\r\nG0 Y5");
    send("M83");
    send("G0 Y1 ; " + std::string(100, '-'));
    runScript();
    // On the line in the shop-floor PC's code page, Windows-1251.
    EXPECT_EQ(dev->written, (std::vector<std::string>{"G0 Y1\r\n", "G0 Y2\r\n",
                                                      "M117 \xcf\xf0\xe8\xe2\xe5\xf2\r\n"}));
    EXPECT_EQ(app.position().length, 2.0f);  // the record follows the box's moves
    ASSERT_EQ(window.messages.size(), 3u);
    EXPECT_EQ(window.messages[0].rfind("Строка «G91» не отправлена, как и всё поле: после неё", 0),
              0u);
    EXPECT_NE(window.messages[1].find("«M83»"), std::string::npos);
    EXPECT_NE(window.messages[2].find("в ней 108 знаков"), std::string::npos);
    EXPECT_EQ(window.text(ctl::kCommandBox), "G0 Y1 ; " + std::string(100, '-'));  // kept
}

TEST_F(ExchangeTest, CloseTakenByTheLastWaitEndsTheProgram) {
    dev->onWrite = [](MemoryDevice& d, const std::string&) { d.arrive("ok\n"); };
    window.click(ctl::kSend);
    window.close();  // taken by the wait, which then reads the "ok"
    runScript();
    EXPECT_TRUE(app.quitRequested());
    EXPECT_FALSE(port.isOpen());
}

// The answer wakes the wait as it arrives, however long the controller takes: no sleep runs
// on past it, and no wait goes by for nothing.
TEST_F(ExchangeTest, AnAnswerWakesTheWaitAsItArrives) {
    for (const int delayMs : {0, 1, 60, 4000}) {
        dev->onWrite = [delayMs](MemoryDevice& d, const std::string&) {
            d.arrive("ok\n", delayMs);
        };
        const int waits = window.waits;
        const std::int64_t start = clock.now;
        EXPECT_EQ(exchange().sendLine("G0 Y1\r\n"), LineResult::Sent);
        EXPECT_EQ(clock.now - start, delayMs);
        EXPECT_LE(window.waits - waits, 2 + delayMs / 1000) << delayMs;  // a wait lasts 1 s at most
    }
}

}  // namespace
}  // namespace tarvel
