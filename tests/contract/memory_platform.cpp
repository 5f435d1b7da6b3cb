// The contract on the in-memory platform: the window's operator is its script, the device a
// controller in memory.
#include "contract/platform_contract.h"
#include "memory/memory_files.h"
#include "memory/memory_serial.h"
#include "memory/memory_window.h"
#include "platform/keys.h"

namespace tarvel::contract {
namespace {

class MemoryPlatform final : public PlatformUnderTest {
  public:
    MemoryPlatform() {
        window_.clock = &clock_;
        window_.closeWhenIdle = false;
        port_.clock = &clock_;
        port_.devices["COM1"] = memory::controller(memory::controllerIdentification());
        port_.devices["COM1"].onWrite = [](memory::MemoryDevice& d, const std::string& line) {
            if (line == kUnplugLine) return d.vanishAfter(0);
            if (line == kDeafLine) return void(d.takesOnly = 0);
            if (line == kLateLine) return d.arrive("ok\n", 100);
            d.arrive("ok\n");
        };
    }
    explicit MemoryPlatform(int codePage) : MemoryPlatform() { port_.codePage = codePage; }
    Window& window() override { return window_; }
    SerialPort& port() override { return port_; }
    Files& files() override { return files_; }
    Clock& clock() override { return clock_; }
    void click(ControlId id) override { window_.click(id); }
    void type(std::string_view text) override { window_.type(text); }
    void pressTab() override { window_.key(key::kTab); }
    std::string portName() override { return "COM1"; }
    std::vector<std::string> receivedLines() override { return port_.devices["COM1"].written; }
    int ansiCodePage() override { return port_.codePage; }
    void announceRemoval(int comNumber) override { window_.removePort(comNumber); }
    std::string folder() override { return "M:\\contract\\"; }
    void setReadOnly(const std::string& path, bool readOnly) override {
        files_.files.at(path).readOnly = readOnly;
    }
    std::vector<std::string> faults() override { return window_.faults; }

  private:
    memory::MemoryClock clock_;
    memory::MemoryWindow window_;
    memory::MemorySerialPort port_;
    memory::MemoryFiles files_;
};

std::unique_ptr<PlatformUnderTest> makeMemory() {
    return std::make_unique<MemoryPlatform>();
}

// A PC whose system code page is the western one: what the line cannot carry goes as "?".
std::unique_ptr<PlatformUnderTest> makeWesternMemory() {
    return std::make_unique<MemoryPlatform>(1252);
}

INSTANTIATE_TEST_SUITE_P(Memory, PlatformContract,
                         ::testing::Values(&makeMemory, &makeWesternMemory));
INSTANTIATE_TEST_SUITE_P(Memory, PortContract, ::testing::Values(&makeMemory, &makeWesternMemory));

}  // namespace
}  // namespace tarvel::contract
