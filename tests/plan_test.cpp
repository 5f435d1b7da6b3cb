// The plan tool: what it prints is what the operator program sends for the same profile; a
// profile the program would refuse prints no line; its machine time is the motion model's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fakes/app_fixture.h"
#include "plan/plan_report.h"
#include "plan/plan_tool.h"
#include "plan/plan_work.h"
#include "profile/profile_file.h"

namespace tarvel {
namespace {

using Lines = std::vector<std::string>;

std::string profileOf(const testing::Fields& fields, int speed) {
    memory::MemoryWindow window;
    window.create();
    for (const auto& [id, text] : fields)
        window.setText(id, text);
    window.setState(ctl::kWindingSpeed, speed);
    return profileText(WindowViews(window));
}

// Three slots of two sections (six bars), laid the other way round, two and three turns.
const testing::Fields kThreeSlots = {
    {ctl::kCoreHeight, "40"},         {ctl::kCoreDiameter, "50"}, {ctl::kSlotCount, "3"},
    {ctl::kSlotDepth, "10"},          {ctl::kSlotWidth, "5"},     {ctl::kPoles, "1"},
    {ctl::kCommutatorDistance, "10"}, {ctl::kBarCount, "6"},      {ctl::kDirection, "0"},
    {ctl::kLayingOrder, "1"},         {ctl::kSectionTurns1, "2"}, {ctl::kSectionTurns2, "3"}};

class PlanTest : public testing::ConnectedFixture {};

// The operator program, driven as an operator does: the profile through ЗАГРУЗИТЬ, the sliders,
// then every button of the work through the main loop.
TEST_F(PlanTest, TheToolPrintsWhatTheProgramSends) {
    const std::string bytes = profileOf(kThreeSlots, 7);
    Lines planned;
    const plan::Plan p =
        plan::planWork(bytes, {5, 3}, [&](std::string_view l) { planned.emplace_back(l); });
    ASSERT_TRUE(p.messages.empty()) << p.messages.front();

    files.files["work.tpf"] = memory::MemoryFile{bytes};
    dialogs.answers = {"work.tpf"};
    window.click(ctl::kLoad);
    runScript();
    window.controls[ctl::kWindingSpeed].state = 5;
    window.controls[ctl::kStakingPower].state = 3;
    dev().written.clear();
    // Each button once the one before has done its work: a click during a cycle is not taken.
    auto press = [this](ControlId button) {
        window.click(button);
        runScript();
    };
    press(ctl::kStartPosition);
    for (int slot = 1; slot <= 3; ++slot) {
        press(ctl::kSection1);
        press(ctl::kSection2);
        press(ctl::kNext);
    }
    press(ctl::kStake);
    EXPECT_EQ(planned, dev().written);
    EXPECT_EQ(p.lines(), static_cast<std::int64_t>(planned.size()));
    EXPECT_EQ(p.sectionCount, 2);
    EXPECT_EQ(p.steps.size(), 1u + 3 * 3 + 1);
}

std::filesystem::path writeFile(const std::string& name, const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A profile the program would refuse, or a file that cannot be read: exit status 2, why, and
// not one line.
TEST(PlanTool, RefusesWhatTheProgramWouldRefuse) {
    testing::Fields noDiameter = kThreeSlots;
    noDiameter[1].second = "0";  // and no slot width: no angle of the slot
    noDiameter[4].second = "0";
    const auto refused = writeFile("tarvel-plan-refused.tpf", profileOf(noDiameter, 8));
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* why;
    } cases[] = {
        {"the diameter and slot width 0",
         {refused.string(), "--gcode"},
         "«ДИАМЕТР МАГНИТОПРОВОДА»"},
        {"the same, reported", {refused.string()}, "«ДИАМЕТР МАГНИТОПРОВОДА»"},
        {"no such file", {(refused.string() + ".missing")}, "файл не найден"},
        {"a speed off the slider", {refused.string(), "--speed", "11"}, "usage"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(plan::runPlanTool(c.args, out, err), 2) << c.name;
        EXPECT_EQ(out.str(), "") << c.name;
        EXPECT_NE(err.str().find(c.why), std::string::npos) << c.name << ": " << err.str();
    }
    std::filesystem::remove(refused);
}

// Each option through the tool's command line: what it sets shows in what is printed; a bad value
// or an unknown option prints no plan, says what is wrong and how the command line goes.
TEST(PlanTool, TheCommandLine) {
    const auto path = writeFile("tarvel-plan-options.tpf", profileOf(kThreeSlots, 7)).string();
    const auto seconds = [](const plan::Options& o) {
        return "Машинное время, с: " +
               plan::decimalSeconds(plan::planWork(profileOf(kThreeSlots, 7), o).seconds()) + "\n";
    };
    ASSERT_NE(seconds({5, 1}), seconds({std::nullopt, 1}));
    const struct {
        std::vector<std::string> args;
        int status;
        std::string printed;  // in what goes to standard output (nothing when refused)
        std::string said;     // in what goes to standard error
    } cases[] = {
        {{path, "--seconds"}, 0, seconds({std::nullopt, 1}), ""},
        {{path, "--speed", "5", "--seconds"}, 0, seconds({5, 1}), ""},
        {{"--seconds", "--speed", "10", path}, 0, seconds({10, 1}), ""},
        {{path, "--power", "4", "--gcode"}, 0, "G0 Z0 F12000\r\n", ""},
        {{path, "--power", "4"}, 0, "Мощность кернения                     4\n", ""},
        {{path, "--speed", "3"}, 0, "Скорость намотки                      3\n", ""},
        // Equal slots in one group; angles to two decimals.
        {{path}, 0, "Пазы 1–3, в каждом:\n  Секция 1: витков: 2,", ""},
        {{path}, 0, "поворот витка: от 5.71° до -125.71°\n", ""},
        {{path, "--speed", "0"}, 2, "", "«--speed 0»: нужно число от 1 до 10"},
        {{path, "--speed", "11"}, 2, "", "«--speed 11»: нужно число от 1 до 10"},
        {{path, "--speed", "x"}, 2, "", "«--speed x»: нужно число от 1 до 10"},
        {{path, "--power"}, 2, "", "«--power»: нужно число от 1 до 10"},
        {{path, "--colour", "red"}, 2, "", "«--colour»: неизвестный ключ"},
        {{path, path}, 2, "", "второй профиль"},
        {{path, "--gcode", "--seconds"}, 2, "", "вместе"},
        {{"--seconds"}, 2, "", "не указан профиль"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        const std::string command = ::testing::PrintToString(c.args);
        EXPECT_EQ(plan::runPlanTool(c.args, out, err), c.status) << command << err.str();
        if (c.status != 0) {
            EXPECT_EQ(out.str(), "") << command;
            EXPECT_NE(err.str().find("[--speed 1-10] [--power 1-10]"), std::string::npos)
                << command;
        }
        EXPECT_NE(out.str().find(c.printed), std::string::npos)
            << command << out.str().substr(0, 80);
        EXPECT_NE(err.str().find(c.said), std::string::npos) << command << err.str();
    }
    std::filesystem::remove(path);
}

// Started from Explorer: the page beside the profile, or in the temporary folder when it cannot
// go there, opened in the browser; whatever goes wrong, in a message.
TEST(PlanTool, StartedFromExplorer) {
    struct FakeDesktop : Desktop {
        bool open(const std::string& path, std::string& why) override {
            opened.push_back(path);
            why = "нет программы для этого файла";
            return opens;
        }
        void tell(const std::string& message) override { told.push_back(message); }
        bool opens = true;
        std::vector<std::string> opened, told;
    };
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "tarvel-plan-explorer";
    fs::remove_all(folder);
    fs::create_directories(folder / "blocked.html");  // no page can be written in its place
    std::ofstream(folder / "work.tpf", std::ios::binary) << profileOf(kThreeSlots, 7);
    std::ofstream(folder / "blocked.tpf", std::ios::binary) << profileOf(kThreeSlots, 7);
    testing::Fields noDiameter = kThreeSlots;
    noDiameter[1].second = noDiameter[4].second = "0";
    std::ofstream(folder / "refused.tpf", std::ios::binary) << profileOf(noDiameter, 7);
    const fs::path fallback = fs::temp_directory_path() / "blocked.html";
    const struct {
        const char* profile;
        bool opens;
        int status;
        fs::path page;     // written and opened; empty: none
        const char* told;  // in the message; null: none
    } cases[] = {
        {"work.tpf", true, 0, folder / "work.html", nullptr},
        {"blocked.tpf", true, 0, fallback, nullptr},
        {"work.tpf", false, 2, folder / "work.html", "но открыть его не удалось: нет программы"},
        {"refused.tpf", true, 2, {}, "«ДИАМЕТР МАГНИТОПРОВОДА»"},
        {"missing.tpf", true, 2, {}, "не прочитан: файл не найден"},
    };
    for (const auto& c : cases) {
        FakeDesktop desktop;
        desktop.opens = c.opens;
        fs::remove(folder / "work.html");
        fs::remove(fallback);
        EXPECT_EQ(plan::runFromExplorer((folder / c.profile).string(), desktop), c.status)
            << c.profile;
        if (c.page.empty()) {
            EXPECT_TRUE(desktop.opened.empty()) << c.profile;
        } else {
            EXPECT_EQ(desktop.opened, std::vector<std::string>{c.page.string()}) << c.profile;
            std::ifstream page(c.page, std::ios::binary);
            std::string head(15, '\0');
            page.read(head.data(), 15);
            EXPECT_EQ(head, "<!DOCTYPE html>") << c.profile;
        }
        ASSERT_EQ(desktop.told.size(), c.told ? 1u : 0u) << c.profile;
        if (c.told) {
            EXPECT_NE(desktop.told[0].find(c.told), std::string::npos) << desktop.told[0];
        }
    }
    fs::remove(fallback);
    fs::remove_all(folder);
}

// One slot, one section of no turns, no bars, at L 6 (the stroke starts at Y 0), depth 10
// (dip -4); no turn sets the feeds, so the way out goes at the start feed F120000, held to
// 300 mm/s. Each move from rest to rest at
// 3000 units/s²: d/v + v/a when d >= v²/a, else 2·sqrt(d/a).
TEST(PlanTool, MachineTimeOfASmallWork) {
    const std::string bytes = profileOf({{ctl::kCoreHeight, "40"},
                                         {ctl::kCoreDiameter, "50"},
                                         {ctl::kSlotCount, "1"},
                                         {ctl::kSlotDepth, "10"},
                                         {ctl::kSlotWidth, "5"},
                                         {ctl::kPoles, "1"},
                                         {ctl::kCommutatorDistance, "6"},
                                         {ctl::kSectionTurns1, "0"}},
                                        8);
    const double startZ15 = 15.0 / 50 + 50.0 / 3000;     // G0 Y0 Z15 F3000
    const double downTo4 = 2 * std::sqrt(19.0 / 3000);   // G0 Z-4 F15000, from 15
    const double up4 = 2 * std::sqrt(4.0 / 3000);        // G0 Z0 F15000, G0 Z-4 F120000
    const double fullTurn = 360.0 / 250 + 250.0 / 3000;  // ДАЛЕЕ: G0 E360 F15000
    const double expected = startZ15 + downTo4 + up4 + up4 + downTo4 + fullTurn;  // 2.304 s

    std::ostringstream out, err;
    const auto path = writeFile("tarvel-plan-small.tpf", bytes);
    EXPECT_EQ(plan::runPlanTool({path.string(), "--seconds"}, out, err), 0) << err.str();
    std::filesystem::remove(path);
    const std::string text = out.str();
    const double printed = std::stod(text.substr(text.find_last_of(' ') + 1));
    EXPECT_NEAR(printed, expected, 0.0005) << text;
    EXPECT_NEAR(plan::planWork(bytes, {}).seconds(), expected, 1e-9);
}

}  // namespace
}  // namespace tarvel
