// A clock that advances only when the program waits or sleeps: the in-memory window moves it by
// each wait's time-out that no event cut short, a sleep by its length.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace tarvel::memory {

class MemoryClock : public Clock {
  public:
    void sleep(int milliseconds) override { now += milliseconds; }
    std::int64_t nowMs() override { return now; }
    std::int64_t now = 0;
};

}  // namespace tarvel::memory
