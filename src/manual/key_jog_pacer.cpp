#include "manual/key_jog_pacer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tarvel {

void KeyJogPacer::keyDown(const Jog& jog) {
    if (clock_.nowMs() >= readyAtMs_) {
        send(jog);
        return;
    }
    kept_ = &jog;
}

int KeyJogPacer::waitMs(int longest) {
    if (!kept_) return longest;
    const std::int64_t left = readyAtMs_ - clock_.nowMs();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, longest));
}

bool KeyJogPacer::afterWait(const Event& event) {
    if (!kept_) return false;
    if (event.kind == EventKind::KeyDown && keyJog(event.key)) return false;
    if (event.kind != EventKind::None && event.kind != EventKind::Timer) {
        kept_ = nullptr;
        return false;
    }
    if (clock_.nowMs() < readyAtMs_) return false;
    send(*std::exchange(kept_, nullptr));
    return true;
}

void KeyJogPacer::send(const Jog& jog) {
    kept_ = nullptr;
    const double seconds = jogging_.jog(jog);
    // Counted from the acknowledgement: the controller has the move by then.
    readyAtMs_ = clock_.nowMs() + static_cast<std::int64_t>(std::ceil(seconds * 1000)) + kMarginMs;
}

}  // namespace tarvel
