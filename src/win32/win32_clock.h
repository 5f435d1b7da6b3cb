#pragma once

#include <cstdint>

#include "platform/window.h"

namespace tarvel::win32 {

// Milliseconds from the performance counter. GetTickCount64 advances in 10 to 16 ms steps on
// Windows, whatever timeBeginPeriod says: a wait meant to poll for 2 ms would spin for 16.
std::int64_t steadyMs();

class Win32Clock final : public Clock {
  public:
    Win32Clock();
    ~Win32Clock() override;
    Win32Clock(const Win32Clock&) = delete;
    Win32Clock& operator=(const Win32Clock&) = delete;
    // A delay during which the window repaints and answers (the port search waits seconds).
    void sleep(int milliseconds) override;
    std::int64_t nowMs() override { return steadyMs(); }
};

}  // namespace tarvel::win32
