// Keeps Windows from putting the computer to sleep while the machine is driven.
#pragma once

#include "platform/power.h"

namespace tarvel::win32 {

class Win32Power final : public Power {
  public:
    Win32Power() = default;
    ~Win32Power() override { keepSystemAwake(false); }
    Win32Power(const Win32Power&) = delete;
    Win32Power& operator=(const Win32Power&) = delete;

    // SetThreadExecutionState, only when the answer changes; the display may still turn off.
    void keepSystemAwake(bool awake) override;

  private:
    bool awake_ = false;
};

}  // namespace tarvel::win32
