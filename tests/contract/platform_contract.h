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
    // answers each line with "ok"; what it received, one entry per line, as bytes. Its device
    // goes away (a cable pulled) when it receives kUnplugLine; after kDeafLine it takes no more
    // bytes until the port is closed (a board whose input hangs); kLateLine it answers 100 ms
    // after it came.
    virtual std::string portName() = 0;
    virtual std::vector<std::string> receivedLines() = 0;
    static constexpr const char* kUnplugLine = "M118 UNPLUG\r\n";
    static constexpr const char* kDeafLine = "M118 DEAF\r\n";
    static constexpr const char* kLateLine = "M118 LATE\r\n";
    // The system's ANSI code page, which the line's text is converted with.
    virtual int ansiCodePage() = 0;
    // The system tells the window that the device of COMn went away.
    virtual void announceRemoval(int comNumber) = 0;

    // A folder of this platform's own for files, with "/" or "\" at its end.
    virtual std::string folder() = 0;
    virtual void setReadOnly(const std::string& path, bool readOnly) = 0;

    // What the platform found wrong with the program meanwhile (a wait that never ends).
    virtual std::vector<std::string> faults() { return {}; }
};

using MakePlatform = std::unique_ptr<PlatformUnderTest> (*)();

class PlatformContract : public ::testing::TestWithParam<MakePlatform> {
  protected:
    void SetUp() override { platform = GetParam()(); }
    void TearDown() override {
        const std::vector<std::string> faults = platform->faults();
        EXPECT_TRUE(faults.empty()) << faults.front();
    }
    // The events the window reports until it has been quiet a while: what the operator did.
    std::vector<Event> eventsOfTheOperator();

    std::unique_ptr<PlatformUnderTest> platform;
};

// The part of the contract that the port keeps, for platforms whose ports may work either way.
class PortContract : public PlatformContract {};

}  // namespace tarvel::contract
