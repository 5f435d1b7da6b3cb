#include "practice/practice_port.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tarvel::practice {

bool PracticePort::open(std::string_view name) {
    close();
    if (name != kPortName) return false;
    open_ = true;
    // The board starts afresh and greets.
    controller_.reset(nowUs());
    received_ = controller_.startUpText();
    partial_.clear();
    if (listener_) listener_();
    return true;
}

void PracticePort::close() {
    open_ = false;
    received_.clear();
}

int PracticePort::bytesWaiting() {
    if (!open_) return 0;
    catchUp();
    return static_cast<int>(received_.size());
}

int PracticePort::read(char* buffer, int count) {
    if (!open_ || count <= 0) return 0;
    catchUp();
    const int n = std::min(count, static_cast<int>(received_.size()));
    std::memcpy(buffer, received_.data(), static_cast<std::size_t>(n));
    received_.erase(0, static_cast<std::size_t>(n));
    return n;
}

int PracticePort::write(std::string_view text) {
    if (!open_) return 0;
    catchUp();
    partial_ += text;
    // Both "\r" and "\n" end a line; an empty one is no line.
    for (std::size_t end; (end = partial_.find_first_of("\r\n")) != std::string::npos;) {
        std::string line = partial_.substr(0, end);
        partial_.erase(0, end + 1);
        if (line.empty()) continue;
        controller_.receive(std::move(line), nowUs());
        controller_.advance(nowUs());
    }
    if (listener_) listener_();
    return static_cast<int>(text.size());
}

bool PracticePort::settle() {
    if (!open_) return false;
    catchUp();
    return std::exchange(settledAt_, sent_) != sent_;
}

int PracticePort::quietForMs() {
    if (!open_) return -1;
    const long long due = controller_.nextDueUs();
    if (due == controller::QueuedController::kNever) return -1;
    // Rounded up: a wake a moment early would find nothing and sleep again for nothing.
    return static_cast<int>(std::clamp<long long>((due - nowUs() + 999) / 1000, 0, 1 << 30));
}

controller::MachineState PracticePort::machine() {
    catchUp();
    return controller_.state(nowUs());
}

}  // namespace tarvel::practice
