// Section cycle benchmark: winds 10 and then 100,000 turns against an in-memory controller that
// answers every line at once, and prints lines per second and the peak memory of the process.
// A cycle keeps no program in memory, so the peak must not grow with the number of turns.
#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "link/command_exchange.h"
#include "state/program_state.h"
#include "ui/control_table.h"
#include "winding/section_cycle.h"

namespace {

using namespace tarvel;

class QuietWindow : public Window {
  public:
    bool create() override { return true; }
    void startTimer(int, int) override {}
    std::string text(ControlId id) const override { return texts[static_cast<std::size_t>(id)]; }
    void setText(ControlId id, std::string_view t) override {
        texts[static_cast<std::size_t>(id)] = t;
    }
    int state(ControlId id) const override { return states[static_cast<std::size_t>(id)]; }
    void setState(ControlId id, int s) override { states[static_cast<std::size_t>(id)] = s; }
    void enable(ControlId, bool) override {}
    void show(ControlId, bool) override {}
    void setFrontColour(ControlId, Rgb) override {}
    void setBackColour(ControlId, Rgb) override {}
    void showMessage(std::string_view) override {}
    Event waitForEvent(int) override { return Event::none(); }

    std::array<std::string, kControlCount> texts{};
    std::array<int, kControlCount> states{};
};

// Answers every line with "ok" and counts the lines and their bytes.
class AnsweringPort : public SerialPort {
  public:
    bool open(std::string_view) override { return true; }
    bool isOpen() const override { return true; }
    int bytesWaiting() override { return answer ? 3 : 0; }
    int read(char* buffer, int count) override {
        const int n = count < 3 ? count : 3;
        for (int i = 0; i < n; ++i)
            buffer[i] = "ok\n"[i];
        answer = false;
        return n;
    }
    int write(std::string_view text) override {
        ++lines;
        bytes += static_cast<long long>(text.size());
        answer = true;
        return static_cast<int>(text.size());
    }
    void close() override {}
    std::string decode(std::string_view b) const override { return std::string(b); }

    bool answer = false;
    long long lines = 0, bytes = 0;
};

class SteadyClock : public Clock {
  public:
    void sleep(int) override {}
    std::int64_t nowMs() override { return 0; }
};

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main() {
    QuietWindow window;
    const char* fields[][2] = {{"11", "40"}, {"12", "50"}, {"13", "12"}, {"14", "10"}, {"15", "5"},
                               {"16", "5"},  {"18", "10"}, {"20", "0"},  {"37", "0"},  {"39", "0"}};
    for (auto& f : fields)
        window.texts[static_cast<std::size_t>(std::stoi(f[0]))] = f[1];
    window.states[ctl::kWindingSpeed] = 8;
    AnsweringPort port;
    SteadyClock clock;
    ProgramState state;
    CommandExchange exchange(window, port, clock, state);
    WindingCycles cycles(window, exchange, state);

    std::printf("section cycle, controller in memory (peak memory: the whole process)\n");
    for (const char* turns : {"10", "100000", "1000000"}) {
        window.texts[23] = turns;
        port.lines = port.bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        cycles.windSection(1);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%7s turns: %9lld lines, %10.0f lines/s, peak memory %ld KiB\n", turns,
                    port.lines, static_cast<double>(port.lines) / seconds, peakKilobytes());
    }
    return 0;
}
