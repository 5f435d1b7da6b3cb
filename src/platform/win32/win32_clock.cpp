#include "platform/win32/win32_clock.h"

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

namespace tarvel::win32 {

// Short sleeps and timed waits need the 1 ms system timer resolution for as long as we run.
Win32Clock::Win32Clock() {
    timeBeginPeriod(1);
}
Win32Clock::~Win32Clock() {
    timeEndPeriod(1);
}

void Win32Clock::sleep(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds));
}

std::int64_t Win32Clock::nowMs() {
    return static_cast<std::int64_t>(GetTickCount64());
}

}  // namespace tarvel::win32
