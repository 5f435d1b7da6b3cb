#pragma once

#include "platform/window.h"

namespace tarvel::win32 {

class Win32Clock final : public Clock {
  public:
    Win32Clock();
    ~Win32Clock() override;
    Win32Clock(const Win32Clock&) = delete;
    Win32Clock& operator=(const Win32Clock&) = delete;
    void sleep(int milliseconds) override;
    std::int64_t nowMs() override;
};

}  // namespace tarvel::win32
