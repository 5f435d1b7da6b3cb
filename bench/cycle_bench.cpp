// Section cycle benchmark: winds 10, 100,000 and 1,000,000 turns against the in-memory controller,
// answering every line at once, and prints lines per second and the peak memory of the process.
// A cycle keeps no program in memory, so the peak must not grow with the number of turns.
#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "link/command_exchange.h"
#include "platform/memory/memory_power.h"
#include "platform/memory/memory_serial.h"
#include "platform/memory/memory_window.h"
#include "state/program_state.h"
#include "ui/control_table.h"
#include "winding/section_cycle.h"

namespace {

using namespace tarvel;

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main() {
    memory::MemoryWindow window;
    window.create();
    window.keepLogs = false;
    window.closeWhenIdle = false;
    window.hangGuard = 0;
    const char* fields[][2] = {{"11", "40"}, {"12", "50"}, {"13", "12"}, {"14", "10"}, {"15", "5"},
                               {"16", "5"},  {"18", "10"}, {"20", "0"},  {"37", "0"},  {"39", "0"}};
    for (auto& f : fields)
        window.setText(std::stoi(f[0]), f[1]);
    window.setState(ctl::kWindingSpeed, 8);
    memory::MemorySerialPort port;
    long long lines = 0;
    port.devices["COM1"] = memory::controller({}, [&lines](const std::string&) { ++lines; });
    port.open("COM1");
    memory::MemoryClock clock;
    memory::MemoryPower power;
    ProgramState state;
    CommandExchange exchange(window, port, clock, power, state);
    WindingCycles cycles(window, exchange, state);

    std::printf("section cycle, controller in memory (peak memory: the whole process)\n");
    for (const char* turns : {"10", "100000", "1000000"}) {
        window.setText(23, turns);
        lines = 0;
        const auto start = std::chrono::steady_clock::now();
        cycles.windSection(1);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%7s turns: %9lld lines, %10.0f lines/s, peak memory %ld KiB\n", turns, lines,
                    static_cast<double>(lines) / seconds, peakKilobytes());
    }
    return 0;
}
