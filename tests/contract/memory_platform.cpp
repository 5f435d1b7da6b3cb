// The contract on the in-memory platform: the window's operator is its script, the device a
// controller in memory.
#include "contract/platform_contract.h"
#include "platform/keys.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_serial.h"
#include "platform/memory/memory_window.h"

namespace tarvel::contract {
namespace {

class MemoryPlatform final : public PlatformUnderTest {
  public:
    MemoryPlatform() {
        window_.clock = &clock_;
        window_.closeWhenIdle = false;
        port_.clock = &clock_;
        port_.devices["COM1"] = memory::controller(memory::controllerIdentification());
    }
    Window& window() override { return window_; }
    SerialPort& port() override { return port_; }
    Files& files() override { return files_; }
    Clock& clock() override { return clock_; }
    void click(ControlId id) override { window_.click(id); }
    void type(std::string_view text) override { window_.type(text); }
    void pressTab() override { window_.key(key::kTab); }
    std::string portName() override { return "COM1"; }
    std::vector<std::string> receivedLines() override { return port_.devices["COM1"].written; }
    std::string folder() override { return "M:\\contract\\"; }

  private:
    memory::MemoryClock clock_;
    memory::MemoryWindow window_;
    memory::MemorySerialPort port_;
    memory::MemoryFiles files_;
};

std::unique_ptr<PlatformUnderTest> makeMemory() {
    return std::make_unique<MemoryPlatform>();
}

INSTANTIATE_TEST_SUITE_P(Memory, PlatformContract, ::testing::Values(&makeMemory));

}  // namespace
}  // namespace tarvel::contract
