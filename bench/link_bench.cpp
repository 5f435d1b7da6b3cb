// Windows side of the link benchmark: finds the controller like the program does, then sends
// numbered lines through the real exchange (serial port, nested event wait, window) and prints
// its own CPU time. bench/link_bench.py runs it under Wine and reads the simulator's log.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app.h"
#include "numtext/numtext.h"
#include "win32/win32_clock.h"
#include "win32/win32_files.h"
#include "win32/win32_power.h"
#include "win32/win32_serial.h"
#include "win32/win32_window.h"

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
    tarvel::win32::Win32Power power;
    tarvel::win32::Win32Files files;
    tarvel::win32::Win32FileDialogs dialogs(window.handle());
    // The program's own start-up: the window, the search, the start position declared.
    tarvel::App app(window, port, clock, power, files, dialogs);
    if (!app.startUp()) return 1;
    if (!port.isOpen()) {
        std::puts("no controller");
        return 1;
    }
    tarvel::CommandExchange& exchange = app.exchange();

    const double cpuBefore = cpuSeconds();
    const std::int64_t start = clock.nowMs();
    for (int i = 1; i <= lines; ++i)
        exchange.sendLine("G0 Y" + tarvel::FormatInteger(i) + "\r\n");
    const std::int64_t elapsed = clock.nowMs() - start;
    std::printf("lines %d elapsed_ms %lld cpu_s %.3f\n", lines, static_cast<long long>(elapsed),
                cpuSeconds() - cpuBefore);
    std::fflush(stdout);
    app.link().close();
    return 0;
}
