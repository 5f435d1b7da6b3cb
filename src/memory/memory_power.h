// The power management of a program without a computer to keep awake: it only remembers what
// it was told, for those who want to know.
#pragma once

#include <vector>

#include "platform/power.h"

namespace tarvel::memory {

class MemoryPower final : public Power {
  public:
    void keepSystemAwake(bool awake) override {
        if (awake != awake_) changes.push_back(awake);
        awake_ = awake;
    }
    bool awake() const { return awake_; }
    // Every change, in order: true when it was asked to stay awake, false when let go.
    std::vector<bool> changes;

  private:
    bool awake_ = false;
};

}  // namespace tarvel::memory
