#include "link/machine_pace.h"

#include <algorithm>
#include <cmath>

namespace tarvel {

void MachinePace::sent(std::string_view text, std::int64_t nowMs) {
    drainsQueue_ = false;
    // Both "\r" and "\n" end a line for the controller.
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (end == start) {
            ++start;
            continue;
        }
        const motion::Effect effect = machine_.apply(text.substr(start, end - start));
        start = end + 1;
        if (effect.action == motion::Action::Move) {
            const double begins = std::max(queueEndsMs_, static_cast<double>(nowMs));
            queueEndsMs_ = begins + effect.seconds * 1000;
        } else if (effect.action != motion::Action::Answer &&
                   effect.action != motion::Action::Declare) {
            drainsQueue_ = true;
        }
    }
}

void MachinePace::answered(std::int64_t nowMs) {
    if (drainsQueue_) queueEndsMs_ = static_cast<double>(nowMs);
    drainsQueue_ = false;
}

std::int64_t MachinePace::queuedMs(std::int64_t nowMs) const {
    return std::max<std::int64_t>(0, std::llround(std::ceil(queueEndsMs_)) - nowMs);
}

}  // namespace tarvel
