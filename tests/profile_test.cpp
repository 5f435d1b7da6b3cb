#include <gtest/gtest.h>

#include "fakes/app_fixture.h"
#include "profile/text_lines.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using memory::FailAt;
using memory::MemoryFile;

// The 44 fields in the order of a profile's lines.
const ControlId kLineFields[] = {ctl::kCoreHeight,
                                 ctl::kCoreDiameter,
                                 ctl::kSlotCount,
                                 ctl::kSlotDepth,
                                 ctl::kSlotWidth,
                                 ctl::kPoles,
                                 ctl::kTurns,
                                 ctl::kCommutatorDistance,
                                 ctl::kBarCount,
                                 ctl::kDirection,
                                 ctl::kLayingOrder,
                                 ctl::kRotationBefore,
                                 ctl::kRotationAfter,
                                 ctl::kMethod,
                                 ctl::kCommutatorSide,
                                 ctl::kSlotSkew,
                                 ctl::kLeadIn1,
                                 ctl::kLeadIn2,
                                 ctl::kLeadIn3,
                                 ctl::kLeadIn4,
                                 ctl::kLeadOut1,
                                 ctl::kLeadOut2,
                                 ctl::kLeadOut3,
                                 ctl::kLeadOut4,
                                 ctl::kSpan1,
                                 ctl::kSpan2,
                                 ctl::kSpan3,
                                 ctl::kSpan4,
                                 ctl::kSectionTurns1,
                                 ctl::kSectionTurns2,
                                 ctl::kSectionTurns3,
                                 ctl::kSectionTurns4,
                                 ctl::kSectionOffset1,
                                 ctl::kSectionOffset2,
                                 ctl::kSectionOffset3,
                                 ctl::kSectionOffset4,
                                 ctl::kOffsetTurns1,
                                 ctl::kOffsetTurns2,
                                 ctl::kOffsetTurns3,
                                 ctl::kOffsetTurns4,
                                 ctl::kSectionPosition1,
                                 ctl::kSectionPosition2,
                                 ctl::kSectionPosition3,
                                 ctl::kSectionPosition4};

std::string profileOf(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + end;
    return bytes;
}

// A profile whose line n holds "v<n>", speed 5.
std::vector<std::string> numberedLines() {
    std::vector<std::string> lines;
    for (int n = 1; n <= 44; ++n)
        lines.push_back("v" + std::to_string(n));
    lines.push_back("5");
    return lines;
}

class ProfileTest : public testing::AppFixture {
  protected:
    void SetUp() override {
        window.closeWhenIdle = false;
        ASSERT_TRUE(app.startUp());
        files.files.clear();
    }
    void click(ControlId button, std::string answer) {
        dialogs.answers.push_back(std::move(answer));
        window.click(button);
        runScript();
    }
    void save(const std::string& path) { click(ctl::kSave, path); }
    void load(const std::string& path) { click(ctl::kLoad, path); }
    std::string fieldTexts() {
        std::string all;
        for (ControlId id : kLineFields)
            all += window.text(id) + "|";
        return all + std::to_string(window.state(ctl::kWindingSpeed));
    }
};

TEST_F(ProfileTest, SaveWritesTheLinesInTableOrderAndReplacesTheOldFile) {
    for (ControlId id : kLineFields)
        window.controls[id].text = "";
    save("C:\\p\\empty.tpf");
    std::string empty;
    for (int n = 0; n < 44; ++n)
        empty += "\r\n";
    EXPECT_EQ(files.files.at("C:\\p\\empty.tpf").bytes, empty + "8\r\n");
    EXPECT_EQ(files.files.at("C:\\p\\empty.tpf").bytes.size(), 91u);
    EXPECT_EQ(window.text(ctl::kProfilePath), "C:\\p\\empty.tpf");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].kind, FileDialogSpec::Kind::Save);
    EXPECT_EQ(dialogs.asked[0].title, "Сохранить файл профиля намотки");
    EXPECT_EQ(dialogs.asked[0].filter, "Tarvel profile files (*.tpf)|*.tpf");
    EXPECT_EQ(dialogs.asked[0].proposedName, "default.tpf");

    // Over a longer file, to a name without extension: exactly the 45 new lines, nothing else.
    const std::vector<std::string> lines = numberedLines();
    for (std::size_t i = 0; i < 44; ++i)
        window.controls[kLineFields[i]].text = lines[i];
    window.controls[ctl::kWindingSpeed].state = 5;
    files.files["C:\\p\\profile"] = MemoryFile{std::string(5000, 'x')};
    save("C:\\p\\profile");
    EXPECT_EQ(files.files.at("C:\\p\\profile").bytes, profileOf(lines));
    EXPECT_EQ(files.files.size(), 2u);  // no temporary file left

    // Cancelled: nothing written, the label keeps the last path.
    save("");
    EXPECT_EQ(window.text(ctl::kProfilePath), "C:\\p\\profile");
    EXPECT_EQ(files.files.size(), 2u);
}

const std::string old = profileOf(numberedLines());

struct AFailedSaveLeavesTheOldFileAndSaysSoCase {
    FailAt step;
    bool readOnly;
};

const AFailedSaveLeavesTheOldFileAndSaysSoCase kAFailedSaveLeavesTheOldFileAndSaysSoCases[] = {
    {FailAt::Create, false}, {FailAt::Write, false},   {FailAt::Flush, false},
    {FailAt::Close, false},  {FailAt::Replace, false}, {FailAt::Nothing, true}};

using AFailedSaveLeavesTheOldFileAndSaysSo =
    testing::Each<ProfileTest, AFailedSaveLeavesTheOldFileAndSaysSoCase>;

TEST_P(AFailedSaveLeavesTheOldFileAndSaysSo, EachCase) {
    const AFailedSaveLeavesTheOldFileAndSaysSoCase& c = GetParam();
    files.files["D:\\old.tpf"] = MemoryFile{old, c.readOnly};
    window.controls[ctl::kProfilePath].text = "D:\\before.tpf";
    window.messages.clear();
    files.failAt = c.step;
    save("D:\\old.tpf");
    files.failAt = FailAt::Nothing;
    const int step = static_cast<int>(c.step);
    EXPECT_EQ(files.files.size(), 1u) << step;  // the temporary file is gone
    EXPECT_EQ(files.files.at("D:\\old.tpf").bytes, old) << step;
    EXPECT_EQ(window.text(ctl::kProfilePath), "D:\\before.tpf") << step;
    ASSERT_EQ(window.messages.size(), 1u) << step;
    EXPECT_NE(window.messages[0].find("не сохранён"), std::string::npos) << step;
    EXPECT_NE(window.messages[0].find("D:\\old.tpf"), std::string::npos) << step;
}
INSTANTIATE_TEST_SUITE_P(Cases, AFailedSaveLeavesTheOldFileAndSaysSo,
                         ::testing::ValuesIn(kAFailedSaveLeavesTheOldFileAndSaysSoCases),
                         testing::CaseName());

struct LoadSetsFieldsAndSpeedWithoutControlEventsCase {
    const char* name;
    std::string bytes;
    std::string fields;
    int piece = 1 << 20;
};

std::vector<LoadSetsFieldsAndSpeedWithoutControlEventsCase>
kLoadSetsFieldsAndSpeedWithoutControlEventsCases() {
    std::vector<std::string> lines = numberedLines();
    lines[2] = "12.5";  // a number field takes any text from a profile
    lines[5] = "4";     // poles: not copied into the section columns
    lines[24] = "2", lines[25] = "3", lines[26] = "2", lines[27] = "3";
    lines[16] = "-2";
    lines[0] = "Якорь \xD0\x96";  // Cyrillic
    std::string expected;
    for (std::size_t i = 0; i < 44; ++i)
        expected += lines[i] + "|";
    const std::string speed5 = expected + "5";
    auto withSpeed = [&](const char* speed) {
        std::vector<std::string> l = lines;
        l[44] = speed;
        return profileOf(l);
    };
    return {
        {"CR LF", profileOf(lines), speed5},
        {"LF only", profileOf(lines, "\n"), speed5},
        {"CR only, read a byte at a time", profileOf(lines, "\r"), speed5, 1},
        {"CR LF split over two reads", profileOf(lines), speed5, 7},
        {"byte-order mark", "\xEF\xBB\xBF" + profileOf(lines), speed5},
        {"no line end at the end, more after line 45", profileOf(lines) + "rest\r\n", speed5},
        {"speed 15", withSpeed("15"), expected + "10"},
        {"speed 0", withSpeed("0"), expected + "1"},
        {"speed -3", withSpeed("-3"), expected + "1"},
        {"speed abc", withSpeed("abc"), expected + "1"},
        {"speed 7.9", withSpeed("7.9"), expected + "7"},
        {"10 lines", profileOf({lines.begin(), lines.begin() + 10}),
         [&] {
             std::string f;
             for (std::size_t i = 0; i < 44; ++i)
                 f += (i < 10 ? lines[i] : "") + "|";
             return f + "1";
         }()},
    };
}

using LoadSetsFieldsAndSpeedWithoutControlEvents =
    testing::Each<ProfileTest, LoadSetsFieldsAndSpeedWithoutControlEventsCase>;

TEST_P(LoadSetsFieldsAndSpeedWithoutControlEvents, EachCase) {
    const LoadSetsFieldsAndSpeedWithoutControlEventsCase& c = GetParam();
    window.controls[ctl::kSpan1].text = "old";
    files.files["E:\\a.tpf"] = MemoryFile{c.bytes, true};  // read-only loads too
    files.readPiece = c.piece;
    load("E:\\a.tpf");
    EXPECT_EQ(fieldTexts(), c.fields) << c.name;
    EXPECT_EQ(window.text(ctl::kProfilePath), "E:\\a.tpf") << c.name;
    EXPECT_EQ(files.files.at("E:\\a.tpf").bytes, c.bytes) << c.name;
    EXPECT_EQ(app.layout().sectionCount, 0) << c.name;  // no layout change until an event
    EXPECT_TRUE(window.messages.empty()) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, LoadSetsFieldsAndSpeedWithoutControlEvents,
                         ::testing::ValuesIn(kLoadSetsFieldsAndSpeedWithoutControlEventsCases()),
                         testing::CaseName());

struct AFileThatCannotBeReadChangesNothingCase {
    const char* name;
    bool exists, held;
    FailAt fail;
};

const AFileThatCannotBeReadChangesNothingCase kAFileThatCannotBeReadChangesNothingCases[] = {
    {"missing", false, false, FailAt::Nothing},
    {"held by another program", true, true, FailAt::Nothing},
    {"read fails", true, false, FailAt::Read}};

using AFileThatCannotBeReadChangesNothing =
    testing::Each<ProfileTest, AFileThatCannotBeReadChangesNothingCase>;

TEST_P(AFileThatCannotBeReadChangesNothing, EachCase) {
    const AFileThatCannotBeReadChangesNothingCase& c = GetParam();
    window.controls[ctl::kCoreHeight].text = "40";
    window.controls[ctl::kProfilePath].text = "E:\\before.tpf";
    window.controls[ctl::kWindingSpeed].state = 6;
    window.messages.clear();
    if (c.exists) files.files["E:\\x.tpf"] = MemoryFile{profileOf(numberedLines()), false, c.held};
    const auto before = files.files;
    files.failAt = c.fail;
    load("E:\\x.tpf");
    EXPECT_EQ(window.text(ctl::kCoreHeight), "40") << c.name;
    EXPECT_EQ(window.state(ctl::kWindingSpeed), 6) << c.name;
    EXPECT_EQ(window.text(ctl::kProfilePath), "E:\\before.tpf") << c.name;
    EXPECT_EQ(files.files.size(), before.size()) << c.name;  // nothing created
    ASSERT_EQ(window.messages.size(), 1u) << c.name;
    EXPECT_NE(window.messages[0].find("E:\\x.tpf"), std::string::npos) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, AFileThatCannotBeReadChangesNothing,
                         ::testing::ValuesIn(kAFileThatCannotBeReadChangesNothingCases),
                         testing::CaseName());

TEST_F(ProfileTest, SavedTextsComeBackUnchanged) {
    const std::vector<std::string> texts = {"Обмотка №7", "-0", "1e39", "", " 12 ", "NaN"};
    for (std::size_t i = 0; i < 44; ++i)
        window.controls[kLineFields[i]].text = texts[i % texts.size()];
    window.controls[ctl::kWindingSpeed].state = 3;
    const std::string before = fieldTexts();
    save("F:\\r.tpf");
    for (ControlId id : kLineFields)
        window.controls[id].text = "changed";
    load("F:\\r.tpf");
    EXPECT_EQ(fieldTexts(), before);
}

TEST(TextLines, RepairUtf8) {
    const std::string bad = "\xEF\xBF\xBD";
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain", "plain"},
        {"\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80", "\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"a\x80z", "a" + bad + "z"},
        {"\xC0\xAF", bad + bad},  // overlong
        {"\xE0\x80\xAF", bad + bad + bad},
        {"\xE2\x82", bad},  // cut short: one bad sequence
        {"\xE2\x82z", bad + "z"},
        {"\xED\xA0\x80", bad + bad + bad},            // a surrogate
        {"\xF4\x90\x80\x80", bad + bad + bad + bad},  // above U+10FFFF
        {"\xF0\x9F\x98", bad},
        {"\xFF\xFE", bad + bad},
    };
    for (const auto& c : cases)
        EXPECT_EQ(repairUtf8(c.in), c.out) << c.in;
}

TEST(TextLines, AMillionCharacterLineAndZeroBytes) {
    memory::MemoryFiles files;
    files.files["big"] = MemoryFile{std::string(1000000, 'x') + std::string("\0b\r\r\nc", 6)};
    auto opened = files.openForReading("big");
    LineReader reader(*opened.file);
    EXPECT_EQ(reader.next().size(), 1000000u);
    EXPECT_EQ(reader.next(), "b");
    EXPECT_EQ(reader.next(), "");
    EXPECT_EQ(reader.next(), "c");
    EXPECT_EQ(reader.next(), "");
    EXPECT_EQ(reader.next(), "");
    EXPECT_FALSE(reader.failed());
}

TEST(Settings, ReadAtStartUp) {
    const struct {
        const char* name;
        std::optional<std::string> content;  // none: no file
        bool readOnly;
        std::array<std::int32_t, 4> values;
    } cases[] = {
        {"no file", std::nullopt, false, {3000, 3000, 220000, 120000}},
        {"four values", "5000\r\n8000\r\n150000\r\n90000\r\n", false, {5000, 8000, 150000, 90000}},
        {"read-only", "5000\n8000\n150000\n90000", true, {5000, 8000, 150000, 90000}},
        {"one line", "5000", false, {5000, 3000, 220000, 120000}},
        {"zero and negative", "0\r-100\r", false, {3000, 3000, 220000, 120000}},
        {"trailing text, hexadecimal", " 2500xyz\n$FA0\n", false, {2500, 4000, 220000, 120000}},
        {"beyond 32 bits", "4294967296\n4294967297\n", false, {0, 1, 220000, 120000}},
        {"key and value", "accel=5000\n", false, {3000, 3000, 220000, 120000}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "5000\n",
         false,
         {5000, 3000, 220000, 120000}},
        {"a fifth line is not read", "1\n2\n3\n4\n5\n", false, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        memory::MemoryWindow window;
        memory::MemorySerialPort port;
        memory::MemoryClock clock;
        memory::MemoryFiles files;
        memory::MemoryFileDialogs dialogs;
        memory::MemoryPower power;
        if (c.content) files.files["settings.ini"] = MemoryFile{*c.content, c.readOnly};
        App app{window, port, clock, power, files, dialogs};
        ASSERT_TRUE(app.startUp());
        const SpeedValues& s = app.speeds();
        EXPECT_EQ((std::array{s.accelStart, s.accelRun, s.feedE, s.feedYZ}), c.values) << c.name;
        ASSERT_TRUE(files.files.count("settings.ini")) << c.name;  // a missing one is created
        EXPECT_EQ(files.files.at("settings.ini").bytes, c.content.value_or("")) << c.name;
    }
}

}  // namespace
}  // namespace tarvel
