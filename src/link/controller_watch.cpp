#include "link/controller_watch.h"

#include "link/identification.h"

namespace tarvel {

void ControllerWatch::feed(std::string_view bytes) {
    if (bytes.empty()) return;
    tail_ += bytes;
    if (tail_.find(kDateMark) != std::string::npos) restarted_ = true;
    if (tail_.size() >= kDateMark.size()) tail_.erase(0, tail_.size() - (kDateMark.size() - 1));
    for (char c : bytes) {
        if (c == '\n' || c == '\r') {
            endLine();
        } else if (line_.size() < kLongestLine) {
            line_ += c;
        }
    }
}

void ControllerWatch::endLine() {
    constexpr std::string_view kError = "Error:";
    if (!error_ && line_.compare(0, kError.size(), kError) == 0)
        error_ = line_.substr(kError.size());
    line_.clear();
}

}  // namespace tarvel
