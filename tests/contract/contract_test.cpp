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

TEST_P(PlatformContract, ThePortCarriesTheShopFloorCodePageAndReopensWhenOpened) {
    if (platform->portName().empty()) GTEST_SKIP() << "no port with a device behind it here";
    SerialPort& port = platform->port();
    EXPECT_FALSE(port.open("COM99"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.bytesWaiting(), 0);
    ASSERT_TRUE(port.open(platform->portName()));
    EXPECT_NE(readUntil(*platform, "2021-12-25 | ").find("2021-12-25 | "), std::string::npos);
    port.write("G0 Y1\r\n");
    EXPECT_NE(readUntil(*platform, "ok\n").find("ok\n"), std::string::npos);
    port.write("M117 Привет\r\n");
    EXPECT_NE(readUntil(*platform, "ok\n").find("ok\n"), std::string::npos);
    EXPECT_EQ(platform->receivedLines(),
              (std::vector<std::string>{"G0 Y1\r\n", "M117 \xcf\xf0\xe8\xe2\xe5\xf2\r\n"}));
    EXPECT_EQ(port.decode("\xcf\xf0\xe8\xe2\xe5\xf2 ok"), "Привет ok");
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
    r.file.reset();
    EXPECT_TRUE(files.remove(a));
    EXPECT_FALSE(files.remove(a));
    EXPECT_EQ(files.openForReading(a).error, FileError::NotFound);
}

}  // namespace
}  // namespace tarvel::contract
