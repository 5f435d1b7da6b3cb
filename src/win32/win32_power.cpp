#include "win32/win32_power.h"

#include <windows.h>

namespace tarvel::win32 {

void Win32Power::keepSystemAwake(bool awake) {
    if (awake == awake_) return;
    SetThreadExecutionState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
    awake_ = awake;
}

}  // namespace tarvel::win32
