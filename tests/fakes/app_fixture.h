// The whole program over the fakes, as the tests of every subsystem start it.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/app.h"
#include "fakes/fake_files.h"
#include "fakes/fake_serial.h"
#include "fakes/fake_window.h"
#include "fakes/run_script.h"
#include "ui/control_table.h"

namespace tarvel::testing {

using Fields = std::vector<std::pair<ControlId, const char*>>;

class AppFixture : public ::testing::Test {
  protected:
    void setFields(const Fields& fields) {
        for (const auto& [id, text] : fields)
            window.controls[id].text = text;
    }
    // Runs the main loop until the operator's script is used up.
    void runScript() { testing::runScript(app, window); }

    FakeWindow window;
    FakeSerialPort port;
    FakeClock clock;
    FakeFiles files;
    FakeFileDialogs dialogs;
    App app{window, port, clock, files, dialogs};
};

// Started with a controller on COM1 that answers every line at once, and the winding controls
// enabled as after "УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ"; nothing written yet.
class ConnectedFixture : public AppFixture {
  protected:
    void SetUp() override {
        window.clock = &clock;
        window.closeWhenIdle = false;
        port.devices["COM1"] = controller(controllerIdentification());
        ASSERT_TRUE(app.startUp());
        for (ControlId id : windingControls())
            window.controls[id].enabled = true;
        dev().written.clear();
        window.messages.clear();
    }
    FakeDevice& dev() { return port.devices.at("COM1"); }
};

}  // namespace tarvel::testing
