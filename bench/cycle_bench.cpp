// Section cycle benchmark: winds 10, 100,000 and 1,000,000 turns against the in-memory controller,
// answering every line at once, and prints lines per second and the peak memory of the process.
// A cycle keeps no program in memory, so the peak must not grow with the number of turns. The
// section's moves have no length (a core of no height, no slot depth or width, no span), so the
// program's own time per line is measured and the look-ahead never holds a line back.
#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "program/program_in_memory.h"
#include "ui/control_table.h"

namespace {

using namespace tarvel;

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main() {
    // The program's own cycle, its exchange and its views, over the in-memory platform.
    ProgramInMemory program;
    memory::MemoryWindow& window = program.window;
    window.create();
    window.keepLogs = false;
    window.closeWhenIdle = false;
    window.hangGuard = 0;
    const std::pair<ControlId, const char*> fields[] = {
        {ctl::kCoreHeight, "0"},         {ctl::kCoreDiameter, "50"}, {ctl::kSlotCount, "12"},
        {ctl::kSlotDepth, "0"},          {ctl::kSlotWidth, "0"},     {ctl::kPoles, "0"},
        {ctl::kCommutatorDistance, "6"}, {ctl::kDirection, "0"},     {ctl::kRotationBefore, "0"},
        {ctl::kRotationAfter, "0"}};
    for (const auto& [id, text] : fields)
        window.setText(id, text);
    window.setState(ctl::kWindingSpeed, 8);
    long long lines = 0;
    program.port.devices["COM1"] =
        memory::controller({}, [&lines](const std::string&) { ++lines; });
    program.port.open("COM1");
    WindingCycles& cycles = program.app.cycles();

    std::printf("section cycle, controller in memory (peak memory: the whole process)\n");
    for (const char* turns : {"10", "100000", "1000000"}) {
        window.setText(ctl::kSectionTurns1, turns);
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
