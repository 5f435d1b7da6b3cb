#include "win32/win32_clock.h"

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

namespace tarvel::win32 {
namespace {

// A window that never validates its area would be painted for ever: this many rounds at most.
constexpr int kPaintRounds = 64;

std::int64_t counterFrequency() {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

// Repaints the thread's windows and answers the messages other programs send them, leaving
// clicks and keys queued: the window stays alive while the program is busy, and acts on the
// operator's input only when it is ready to.
void servePaintAndSentMessages() {
    MSG msg;
    // Peeking answers the messages sent to the thread's windows on the way.
    for (int round = 0; round < kPaintRounds; ++round) {
        if (!PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return;
        DispatchMessageW(&msg);
    }
}

}  // namespace

std::int64_t steadyMs() {
    static const std::int64_t frequency = counterFrequency();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    const std::int64_t ticks = counter.QuadPart;
    return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

// Short sleeps and timed waits need the 1 ms system timer resolution for as long as we run.
Win32Clock::Win32Clock() {
    timeBeginPeriod(1);
}
Win32Clock::~Win32Clock() {
    timeEndPeriod(1);
}

void Win32Clock::sleep(int milliseconds) {
    const std::int64_t end = steadyMs() + milliseconds;
    for (;;) {
        servePaintAndSentMessages();
        const std::int64_t left = end - steadyMs();
        if (left <= 0) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left), QS_PAINT | QS_SENDMESSAGE,
                                    0);
    }
}

}  // namespace tarvel::win32
