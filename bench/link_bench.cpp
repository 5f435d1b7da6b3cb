// Windows side of the link benchmark: finds the controller like the program does, then sends
// numbered lines through the real exchange (serial port, nested event wait, window) and prints
// its own CPU time. bench/link_bench.py runs it under Wine and reads the simulator's log.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/command_exchange.h"
#include "link/serial_link.h"
#include "numtext/numtext.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_serial.h"
#include "platform/win32/win32_window.h"
#include "state/program_state.h"

namespace {

double cpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000;
    tarvel::win32::Win32Clock clock;
    tarvel::win32::Win32SerialPort port;
    tarvel::win32::Win32Window window(GetModuleHandleW(nullptr));
    if (!window.create().empty()) return 1;
    tarvel::ProgramState state;
    state.firstPortToTry = 1;
    tarvel::win32::Win32Power power;
    tarvel::CommandExchange exchange(window, port, clock, power, state);
    tarvel::SerialLink link(window, port, clock, state, exchange);
    link.connectController();
    if (!port.isOpen()) {
        std::puts("no controller");
        return 1;
    }
    exchange.sendLine("G92 X0 Y0 Z0 E0\r\n");  // drains the rest of the start-up text

    const double cpuBefore = cpuSeconds();
    const std::int64_t start = clock.nowMs();
    for (int i = 1; i <= lines; ++i)
        exchange.sendLine("G0 Y" + tarvel::FormatInteger(i) + "\r\n");
    const std::int64_t elapsed = clock.nowMs() - start;
    std::printf("lines %d elapsed_ms %lld cpu_s %.3f\n", lines, static_cast<long long>(elapsed),
                cpuSeconds() - cpuBefore);
    std::fflush(stdout);
    link.close();
    return 0;
}
