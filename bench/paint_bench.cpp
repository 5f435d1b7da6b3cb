// Windows side of the practice benchmark: the machine window of the practice program, painted
// frame after frame with the machine a little further on each time, as while it winds. Prints
// the time of one frame (building the picture, drawing it into the bitmap, putting it on the
// screen) as a median and a 90th percentile, and the window's scale. bench/practice_bench.py
// runs it under Wine at 96 and 144 DPI.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "practice/machine_view.h"
#include "win32/win32_picture_window.h"
#include "win32/win32_window.h"

namespace {

double nowMs() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) * 1000 / static_cast<double>(f.QuadPart);
}

double quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    tarvel::win32::Win32Window main(instance, L"Tarvel SW v. 1.0.2 — тренажёр",
                                    tarvel::practice::kPictureWidth);
    if (const std::string why = main.create(); !why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    tarvel::win32::Win32PictureWindow window(instance, main);
    tarvel::controller::MachineState machine;
    machine.moving = true;
    tarvel::practice::CoreSizes core;
    core.slots = 24;
    window.setPainter([&] { return tarvel::practice::machinePicture(machine, core); });
    if (!window.open("Станок", tarvel::practice::kPictureWidth, tarvel::practice::kPictureHeight))
        return 1;

    std::vector<double> whole, drawing;
    for (int i = 0; i < frames; ++i) {
        machine.declared = {static_cast<double>(i % 30), 5.0 + i % 3, 15.0 * i};
        machine.travelled = machine.declared;
        machine.queuedMoves = static_cast<std::size_t>(i % 16);
        const double t0 = nowMs();
        RedrawWindow(window.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        GdiFlush();
        whole.push_back(nowMs() - t0);
        drawing.push_back(window.lastPaintMs());
    }
    std::printf(
        "scale %.3f frames %d frame_ms_median %.3f frame_ms_p90 %.3f "
        "draw_ms_median %.3f\n",
        main.scale(), frames, quantile(whole, 0.5), quantile(whole, 0.9), quantile(drawing, 0.5));
    return 0;
}
