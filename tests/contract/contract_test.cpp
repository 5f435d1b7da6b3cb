#include <algorithm>
#include <string>
#include <vector>

#include "contract/platform_contract.h"
#include "platform/keys.h"
#include "ui/control_table.h"

namespace tarvel::contract {

std::vector<Event> PlatformContract::eventsOfTheOperator() {
    std::vector<Event> events;
    for (int quiet = 0; quiet < 5;) {
        const Event e = platform->window().waitForEvent(20);
        if (e.kind == EventKind::None) {
            ++quiet;
            continue;
        }
        quiet = 0;
        events.push_back(e);
    }
    return events;
}

namespace {

using enum ControlEventKind;

Event clicked(ControlId id) {
    return Event::controlEvent(id, Clicked);
}
Event gained(ControlId id) {
    return Event::controlEvent(id, FocusGained);
}
Event lost(ControlId id) {
    return Event::controlEvent(id, FocusLost);
}
// An edit box tells of a change twice: about to show it, and shown.
std::vector<Event> changed(ControlId id) {
    return {Event::controlEvent(id, Other), Event::controlEvent(id, TextChanged)};
}

std::vector<Event> joined(std::initializer_list<std::vector<Event>> parts) {
    std::vector<Event> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_P(PlatformContract, TheWindowHoldsWhatTheProgramSetsAndTellsNothingOfIt) {
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    for (ControlId id : kEveryControl) {
        const ControlSpec& row = specOf(id);
        const bool arrow = row.font == kArrowFont;  // triangles where Webdings is missing
        if (row.kind == ControlKind::Label || (row.kind == ControlKind::Button && !arrow)) {
            EXPECT_EQ(w.text(id), row.caption) << row.name;
        }
    }
    w.setText(ctl::kCoreHeight, "Якорь 12.5");
    w.setText(ctl::kCommandBox, "G0 Y1\r\nG0 Y2");
    EXPECT_EQ(w.text(ctl::kCoreHeight), "Якорь 12.5");
    EXPECT_EQ(w.text(ctl::kCommandBox), "G0 Y1\r\nG0 Y2");
    // Positions are the bars' alone, held within their ranges.
    const struct {
        ControlId id;
        int set, reads;
    } states[] = {{ctl::kWindingSpeed, 0, 1},
                  {ctl::kWindingSpeed, 11, 10},
                  {ctl::kStakingPower, 7, 7},
                  {ctl::kCycleProgress, -5, 0},
                  {ctl::kSectionProgress2, 130, 100},
                  {ctl::kSectionProgress2, 42, 42},
                  {ctl::kStatus, 5, 0},
                  {ctl::kSlotCount, 5, 0}};
    for (const auto& s : states) {
        w.setState(s.id, s.set);
        EXPECT_EQ(w.state(s.id), s.reads) << specOf(s.id).name;
    }
    w.enable(ctl::kReset, false);
    w.show(ctl::kSection4, false);
    w.setFrontColour(ctl::kStatus, colour::kConnected);
    EXPECT_TRUE(eventsOfTheOperator().empty());
}

TEST_P(PlatformContract, AClickMovesTheFocusAndOnlyAnEnabledButtonReportsIt) {
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    w.enable(ctl::kReset, false);
    w.show(ctl::kSection4, false);
    const struct {
        ControlId click;
        std::vector<Event> events;
    } steps[] = {
        {ctl::kRefresh, {clicked(ctl::kRefresh)}},
        {ctl::kReset, {}},     // disabled
        {ctl::kSection4, {}},  // hidden
        {ctl::kSlotCount, {gained(ctl::kSlotCount)}},
        {ctl::kCoreHeight, {lost(ctl::kSlotCount), gained(ctl::kCoreHeight)}},
        {ctl::kSend, {lost(ctl::kCoreHeight), clicked(ctl::kSend)}},
        {ctl::kStatus, {}},  // a label
    };
    for (const auto& step : steps) {
        platform->click(step.click);
        EXPECT_EQ(eventsOfTheOperator(), step.events) << specOf(step.click).name;
    }
}

TEST_P(PlatformContract, KeysAreThoseOfTheKeyboardAndTabMovesTheFocus) {
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    platform->click(ctl::kCommandBox);
    EXPECT_EQ(eventsOfTheOperator(), std::vector<Event>{gained(ctl::kCommandBox)});
    platform->type("g5%");
    const Event shift = Event::keyDown(key::kShift);
    EXPECT_EQ(eventsOfTheOperator(), joined({{Event::keyDown('G')},
                                             changed(ctl::kCommandBox),
                                             {Event::keyDown('5')},
                                             changed(ctl::kCommandBox),
                                             {shift, Event::keyDown('5')},
                                             changed(ctl::kCommandBox)}));
    EXPECT_EQ(w.text(ctl::kCommandBox), "g5%");
    // Tab goes to "Отправить", which takes the focus silently.
    platform->pressTab();
    EXPECT_EQ(eventsOfTheOperator(),
              (std::vector<Event>{Event::keyDown(key::kTab), lost(ctl::kCommandBox)}));
    // A number field takes digits alone; the key goes down all the same.
    platform->click(ctl::kSlotCount);
    eventsOfTheOperator();
    platform->type("1a");
    EXPECT_EQ(eventsOfTheOperator(),
              joined({{Event::keyDown('1')}, changed(ctl::kSlotCount), {Event::keyDown('A')}}));
    EXPECT_EQ(w.text(ctl::kSlotCount), "1");
}

TEST_P(PlatformContract, AWaitWithNothingToTakeLastsItsTimeOut) {
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    Clock& clock = platform->clock();
    const std::int64_t start = clock.nowMs();
    EXPECT_EQ(w.waitForEvent(60).kind, EventKind::None);
    EXPECT_GE(clock.nowMs() - start, 60);
    const std::int64_t before = clock.nowMs();
    clock.sleep(25);
    EXPECT_GE(clock.nowMs() - before, 25);
}

TEST_P(PlatformContract, AStartedTimerTicksEveryPeriodWhateverTheProgramDoes) {
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    w.startTimer(7, 50);
    Clock& clock = platform->clock();
    int ticks = 0;
    for (const std::int64_t start = clock.nowMs(); clock.nowMs() - start < 1000;) {
        const Event e = w.waitForEvent(20);
        if (e.kind != EventKind::Timer) continue;
        EXPECT_EQ(e.timer, 7);
        ++ticks;
    }
    EXPECT_GE(ticks, 5);  // 20 a second, and no more
    EXPECT_LE(ticks, 21);
}

// Enter breaks the command box's line (CR LF, as ES_WANTRETURN has it) and does nothing to a field
// of one line; typing goes to the control that has the focus, whatever was typed into before.
TEST_P(PlatformContract, EnterBreaksTheCommandBoxLineAndTypingGoesToTheFocus) {
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    platform->click(ctl::kCommandBox);
    platform->type("G0\rG1");
    eventsOfTheOperator();
    EXPECT_EQ(w.text(ctl::kCommandBox), "G0\r\nG1");
    platform->click(ctl::kSlotCount);
    eventsOfTheOperator();
    platform->type("4\r");
    EXPECT_EQ(
        eventsOfTheOperator(),
        joined({{Event::keyDown('4')}, changed(ctl::kSlotCount), {Event::keyDown(key::kEnter)}}));
    EXPECT_EQ(w.text(ctl::kSlotCount), "4");
    EXPECT_EQ(w.text(ctl::kCommandBox), "G0\r\nG1");
}

// A click on a trackbar beside its thumb moves it a page (one step of 1 to 10) and tells of it.
TEST_P(PlatformContract, AClickOnATrackbarMovesItsThumbAStepAndTellsOfIt) {
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    w.setState(ctl::kWindingSpeed, 1);  // the thumb at the left end: the click falls right of it
    platform->click(ctl::kWindingSpeed);
    const std::vector<Event> events = eventsOfTheOperator();
    EXPECT_EQ(w.state(ctl::kWindingSpeed), 2);
    ASSERT_FALSE(events.empty());
    for (const Event& e : events)
        EXPECT_EQ(e, Event::controlEvent(ctl::kWindingSpeed, Other));
}

// Reads what is waiting until `text` has come, for at most two seconds of the clock.
std::string readUntil(PlatformUnderTest& p, std::string_view text) {
    std::string got;
    for (std::int64_t start = p.clock().nowMs(); p.clock().nowMs() - start < 2000;) {
        const int waiting = p.port().bytesWaiting();
        if (waiting > 0) {
            std::string bytes(static_cast<std::size_t>(waiting), '\0');
            got.append(bytes.data(),
                       static_cast<std::size_t>(p.port().read(bytes.data(), waiting)));
            if (got.find(text) != std::string::npos) break;
        }
        p.clock().sleep(5);
    }
    return got;
}

// The line carries the system's ANSI code page (the shop floor's 1251 puts Cyrillic through; a
// western 1252 turns it into "?"), a read takes what has arrived and never waits for more, and
// opening an open port closes it first.
TEST_P(PortContract, ThePortCarriesTheSystemCodePageReadsWhatCameAndReopensWhenOpened) {
    ASSERT_FALSE(platform->portName().empty())
        << "no port with a device behind it: on Windows, set TARVEL_CONTRACT_PORT to a COM port "
           "with controller-sim behind it (scripts/wine-display --controller N does)";
    SerialPort& port = platform->port();
    EXPECT_FALSE(port.open("COM99"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.bytesWaiting(), 0);
    ASSERT_TRUE(port.open(platform->portName()));
    EXPECT_NE(readUntil(*platform, "2021-12-25 | ").find("2021-12-25 | "), std::string::npos);
    char lots[4096];
    EXPECT_EQ(port.read(lots, sizeof lots), 0);  // nothing has come: at once, with nothing
    port.write("G0 Y1\r\n");
    EXPECT_NE(readUntil(*platform, "ok\n").find("ok\n"), std::string::npos);
    port.write("M117 Привет\r\n");
    EXPECT_NE(readUntil(*platform, "ok\n").find("ok\n"), std::string::npos);
    const bool cyrillic = platform->ansiCodePage() == 1251;
    const std::string hello = cyrillic ? "\xcf\xf0\xe8\xe2\xe5\xf2" : "??????";
    EXPECT_EQ(platform->receivedLines(),
              (std::vector<std::string>{"G0 Y1\r\n", "M117 " + hello + "\r\n"}));
    EXPECT_EQ(port.decode("\xcf\xf0\xe8\xe2\xe5\xf2 ok"), cyrillic ? "Привет ok" : "Ïðèâåò ok");
    // Opened again while open: closed first, and open again.
    ASSERT_TRUE(port.open(platform->portName()));
    port.write("G0 Y3\r\n");
    EXPECT_NE(readUntil(*platform, "ok\n").find("ok\n"), std::string::npos);
    EXPECT_FALSE(port.deviceGone());
    port.close();
    EXPECT_FALSE(port.isOpen());
    char byte = 0;
    EXPECT_EQ(port.read(&byte, 1), 0);
    EXPECT_EQ(port.write("G0 Y2\r\n"), 0);
}

// A device that goes away: the calls on its port fail and say so, with the system's words; and
// the system's word of a port's removal reaches the window as an event.
TEST_P(PortContract, AnUnpluggedDeviceIsGoneAndItsRemovalIsReported) {
    ASSERT_FALSE(platform->portName().empty());
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    platform->announceRemoval(5);
    EXPECT_EQ(eventsOfTheOperator(), std::vector<Event>{Event::portRemoved(5)});
    SerialPort& port = platform->port();
    ASSERT_TRUE(port.open(platform->portName()));
    readUntil(*platform, "2021-12-25 | ");
    port.write(PlatformUnderTest::kUnplugLine);
    Clock& clock = platform->clock();
    for (const std::int64_t start = clock.nowMs(); clock.nowMs() - start < 3000;) {
        char byte = 0;
        if (port.bytesWaiting() > 0) port.read(&byte, 1);
        if (port.deviceGone()) break;
        clock.sleep(10);
    }
    EXPECT_TRUE(port.deviceGone());
    EXPECT_FALSE(port.failure().empty());
    port.close();
    EXPECT_FALSE(port.deviceGone());
}

// Waits until the watched port wakes the wait, for at most `ms` of the clock: how long it took,
// or -1 when it did not.
std::int64_t untilThePortWakes(PlatformUnderTest& p, int ms) {
    const std::int64_t start = p.clock().nowMs();
    for (std::int64_t left = ms; left > 0; left = start + ms - p.clock().nowMs())
        if (p.window().waitForEvent(static_cast<int>(left)).kind == EventKind::Port)
            return p.clock().nowMs() - start;
    return -1;
}

std::string readAll(SerialPort& port) {
    std::string got;
    char bytes[512];
    for (int n; (n = port.read(bytes, sizeof bytes)) > 0;)
        got.append(bytes, static_cast<std::size_t>(n));
    return got;
}

// The wait sleeps until the watched port has something: the controller's bytes end it as they
// come, and once they are read it lasts its whole time-out again. A clean line counts no errors.
TEST_P(PortContract, AWatchedPortsBytesEndAWaitAsTheyCome) {
    ASSERT_FALSE(platform->portName().empty());
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    SerialPort& port = platform->port();
    w.watch(port);
    ASSERT_TRUE(port.open(platform->portName()));
    std::string startUp;
    while (startUp.find("2021-12-25 | ") == std::string::npos &&
           untilThePortWakes(*platform, 2000) >= 0)
        startUp += readAll(port);
    EXPECT_NE(startUp.find("2021-12-25 | "), std::string::npos);
    while (untilThePortWakes(*platform, 300) >= 0)  // the rest of the start-up text
        readAll(port);
    for (const char* line : {"G0 Y1\r\n", PlatformUnderTest::kLateLine, "G0 Y2\r\n"}) {
        port.write(line);
        const bool late = line == PlatformUnderTest::kLateLine;
        const std::int64_t tookMs = untilThePortWakes(*platform, 2000);
        EXPECT_GE(tookMs, late ? 90 : 0);
        EXPECT_LT(tookMs, late ? 200 : 100);
        EXPECT_FALSE(port.writing());
        std::string answer = readAll(port);
        while (answer.find("ok\n") == std::string::npos && untilThePortWakes(*platform, 500) >= 0)
            answer += readAll(port);
        EXPECT_EQ(answer, "ok\n");
        const std::int64_t start = platform->clock().nowMs();
        EXPECT_EQ(w.waitForEvent(150).kind, EventKind::None);
        EXPECT_GE(platform->clock().nowMs() - start, 150);
    }
    // Counted as they come, with no wait between: two answers, the second 100 ms after the first.
    port.write("G0 Y3\r\n");
    while (port.writing())
        platform->clock().sleep(1);
    port.write(PlatformUnderTest::kLateLine);
    int waiting = 0;
    for (const std::int64_t start = platform->clock().nowMs();
         platform->clock().nowMs() - start < 2000 && (waiting = port.bytesWaiting()) < 6;)
        platform->clock().sleep(5);
    EXPECT_EQ(waiting, 6);
    EXPECT_EQ(port.lineErrors(), 0);
}

// A device that takes no more bytes holds nothing: the write returns at once, the window's wait
// goes on answering while the bytes do not go out, the write given up finds the device gone with
// the system's words, and the port opens again to the device once it reads again.
TEST_P(PortContract, AWriteThatHangsHoldsNothingAndIsGivenUp) {
    ASSERT_FALSE(platform->portName().empty());
    Window& w = platform->window();
    ASSERT_EQ(w.create(), "");
    SerialPort& port = platform->port();
    Clock& clock = platform->clock();
    w.watch(port);
    ASSERT_TRUE(port.open(platform->portName()));
    readUntil(*platform, "2021-12-25 | ");
    port.write(PlatformUnderTest::kDeafLine);
    clock.sleep(200);
    // More than the line and the driver hold between them.
    const std::string lots(256 * 1024, 'G');
    std::int64_t start = clock.nowMs();
    EXPECT_GT(port.write(lots), 0);
    EXPECT_LT(clock.nowMs() - start, 100);
    EXPECT_FALSE(port.deviceGone());
    for (int i = 0; i < 4; ++i) {
        start = clock.nowMs();
        w.waitForEvent(50);
        EXPECT_LT(clock.nowMs() - start, 100);
    }
    EXPECT_TRUE(port.writing());
    EXPECT_EQ(port.write("G0 Y1\r\n"), 0);  // one write at a time
    port.abandonWrite();
    EXPECT_FALSE(port.writing());
    EXPECT_TRUE(port.deviceGone());
    EXPECT_FALSE(port.failure().empty());
    start = clock.nowMs();
    port.close();
    EXPECT_LT(clock.nowMs() - start, 500);
    clock.sleep(100);  // closed a moment, as the program closes a port to search again
    ASSERT_TRUE(port.open(platform->portName()));
    EXPECT_NE(readUntil(*platform, "2021-12-25 | ").find("2021-12-25 | "), std::string::npos);
    port.write("G0 Y3\r\n");
    EXPECT_NE(readUntil(*platform, "ok\n").find("ok\n"), std::string::npos);
}

TEST_P(PlatformContract, FilesAreCreatedReplacedReadAndRemoved) {
    Files& files = platform->files();
    const std::string a = platform->folder() + "a.tpf", b = platform->folder() + "b.tpf";
    Opened<FileWriter> w = files.createNew(a);
    ASSERT_TRUE(w.file);
    EXPECT_TRUE(w.file->write("40\r\n50\r\n") && w.file->flush() && w.file->close());
    w.file.reset();
    EXPECT_EQ(files.createNew(a).error, FileError::Exists);
    Opened<FileWriter> second = files.createNew(b);
    ASSERT_TRUE(second.file);
    EXPECT_TRUE(second.file->write("12\r\n") && second.file->close());
    second.file.reset();
    EXPECT_TRUE(files.replace(b, a));
    EXPECT_EQ(files.openForReading(b).error, FileError::NotFound);
    Opened<FileReader> r = files.openForReading(a);
    ASSERT_TRUE(r.file);
    char buffer[16] = {};
    EXPECT_EQ(r.file->read(buffer, 16), 4);
    EXPECT_EQ(std::string(buffer, 4), "12\r\n");
    EXPECT_EQ(r.file->read(buffer, 16), 0);
    // Open, a file cannot be removed; open for writing, not even read.
    EXPECT_FALSE(files.remove(a));
    r.file.reset();
    Opened<FileWriter> third = files.createNew(b);
    ASSERT_TRUE(third.file);
    EXPECT_EQ(files.openForReading(b).error, FileError::InUse);
    EXPECT_FALSE(files.remove(b));
    EXPECT_TRUE(third.file->close());
    third.file.reset();
    EXPECT_TRUE(files.remove(b));
    // Read-only, neither.
    platform->setReadOnly(a, true);
    EXPECT_FALSE(files.remove(a));
    platform->setReadOnly(a, false);
    EXPECT_TRUE(files.remove(a));
    EXPECT_FALSE(files.remove(a));
    EXPECT_EQ(files.openForReading(a).error, FileError::NotFound);
}

}  // namespace
}  // namespace tarvel::contract
