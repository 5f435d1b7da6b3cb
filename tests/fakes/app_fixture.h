// The whole program on the in-memory platform, as the tests of every subsystem start it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "fakes/printing.h"
#include "program/program_in_memory.h"
#include "ui/control_table.h"

namespace tarvel::testing {

using Fields = std::vector<std::pair<ControlId, const char*>>;

class AppFixture : public ::testing::Test, protected ProgramInMemory {
  protected:
    void setFields(const Fields& fields) {
        for (const auto& [id, text] : fields)
            window.controls[id].text = text;
    }
    // Runs the main loop until the operator's script is used up.
    void runScript() { runUntilIdle(); }
    // What the in-memory platform found wrong with the program (a wait that never ends) fails
    // the test.
    void TearDown() override { EXPECT_TRUE(window.faults.empty()) << window.faults.front(); }
};

// The worked example's core and winding: H 40, D 50, S 12, depth 10, width 5, P 5, L 10, CW, and
// section 1 of so many turns.
inline Fields workedExample(const char* turns) {
    return {{ctl::kCoreHeight, "40"},     {ctl::kCoreDiameter, "50"},       {ctl::kSlotCount, "12"},
            {ctl::kSlotDepth, "10"},      {ctl::kSlotWidth, "5"},           {ctl::kPoles, "5"},
            {ctl::kSectionTurns1, turns}, {ctl::kCommutatorDistance, "10"}, {ctl::kDirection, "0"}};
}

// Started with a controller on COM1 that answers every line at once, and the winding controls
// enabled as after "УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ"; nothing written yet.
class ConnectedFixture : public AppFixture {
  protected:
    void SetUp() override {
        window.clock = &clock;
        window.closeWhenIdle = false;
        port.devices["COM1"] = memory::controller(memory::controllerIdentification());
        ASSERT_TRUE(app.startUp());
        for (ControlId id : windingControls())
            window.controls[id].enabled = true;
        dev().written.clear();
        window.messages.clear();
    }
    memory::MemoryDevice& dev() { return port.devices.at("COM1"); }
};

// A table-driven test whose every case gets a program of its own, set up and torn down as a test
// of its own: TEST_P over Each<Fixture, Case>, instantiated with the cases' names.
template <typename Fixture, typename Case>
class Each : public Fixture, public ::testing::WithParamInterface<Case> {};

// The name of a case as a test's name: its letters and digits, the rest as "_", and its number.
struct CaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        std::string name = "case";
        if constexpr (requires { info.param.name; }) {
            name.clear();
            for (const char* c = info.param.name; *c; ++c)
                name += (std::isalnum(static_cast<unsigned char>(*c)) != 0) ? *c : '_';
        }
        return name + "_" + std::to_string(info.index);
    }
};

}  // namespace tarvel::testing
