// One contract for both platforms: what the program relies on of the window, the serial port,
// the files and the clock, checked the same on the in-memory platform and on Windows. The
// platform under test also lends the test an operator (clicks, keys) and the device's side of
// the line.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/printing.h"
#include "platform/files.h"
#include "platform/serial.h"
#include "platform/window.h"

namespace tarvel::contract {

class PlatformUnderTest {
  public:
    virtual ~PlatformUnderTest() = default;
    virtual Window& window() = 0;
    virtual SerialPort& port() = 0;
    virtual Files& files() = 0;
    virtual Clock& clock() = 0;

    // The operator, at the window made by window().create().
    virtual void click(ControlId id) = 0;
    virtual void type(std::string_view text) = 0;  // into the control that has the focus
    virtual void pressTab() = 0;

    // A port with a device behind it that sends a start-up text when the port is opened and
    // answers each line with "ok"; what it received, one entry per line, as bytes.
    virtual std::string portName() = 0;
    virtual std::vector<std::string> receivedLines() = 0;
    // A folder of this platform's own for files, with "/" or "\" at its end.
    virtual std::string folder() = 0;
};

using MakePlatform = std::unique_ptr<PlatformUnderTest> (*)();

class PlatformContract : public ::testing::TestWithParam<MakePlatform> {
  protected:
    void SetUp() override { platform = GetParam()(); }
    // The events the window reports until it has been quiet a while: what the operator did.
    std::vector<Event> eventsOfTheOperator();

    std::unique_ptr<PlatformUnderTest> platform;
};

}  // namespace tarvel::contract
