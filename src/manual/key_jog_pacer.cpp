#include "manual/key_jog_pacer.h"

#include <algorithm>
#include <utility>

namespace tarvel {

void KeyJogPacer::keyDown(const Jog& jog) {
    if (busyMs() > 0) {
        kept_ = &jog;
        return;
    }
    kept_ = nullptr;
    jogging_.jog(jog);
}

int KeyJogPacer::waitMs(int longest) {
    if (!kept_) return longest;
    return static_cast<int>(std::clamp<std::int64_t>(busyMs(), 0, longest));
}

bool KeyJogPacer::afterWait(const Event& event) {
    if (!kept_) return false;
    if (event.kind == EventKind::KeyDown && keyJog(event.key)) return false;
    if (event.isOperators()) {
        kept_ = nullptr;
        return false;
    }
    if (busyMs() > 0) return false;
    jogging_.jog(*std::exchange(kept_, nullptr));
    return true;
}

}  // namespace tarvel
