#include "platform/memory/memory_window.h"

#include <algorithm>
#include <stdexcept>

namespace tarvel::memory {
namespace {

// Fields and the command box report focus changes; buttons and trackbars take the focus silently.
bool reportsFocus(ControlId id) {
    return tarvel::reportsFocus(controlTable().at(static_cast<std::size_t>(id)).kind);
}

}  // namespace

std::string MemoryWindow::create() {
    if (!createFailure.empty()) return createFailure;
    controls.clear();
    for (const ControlSpec& row : controlTable()) {
        MemoryControl c;
        c.text = row.caption;
        c.front = row.front;
        c.back = row.back;
        if (row.kind == ControlKind::Trackbar) c.state = 1;
        controls.push_back(c);
    }
    created = true;
    return {};
}

void MemoryWindow::setText(ControlId id, std::string_view text) {
    controls.at(id).text = text;
}

void MemoryWindow::setState(ControlId id, int state) {
    const ControlKind kind = controlTable().at(id).kind;
    if (kind == ControlKind::Trackbar) state = std::clamp(state, 1, 10);
    if (kind == ControlKind::ProgressBar) state = std::clamp(state, 0, 100);
    controls.at(id).state = state;
    if (keepLogs) stateLog.emplace_back(id, state);
}

Event MemoryWindow::waitForEvent(int timeoutMs) {
    ++waits;
    if (keepLogs) waitTimeouts.push_back(timeoutMs);
    while (pending_.empty() && !script_.empty()) {
        auto action = std::move(script_.front());
        script_.pop_front();
        action();
    }
    if (pending_.empty() && !timed_.empty() && clock &&
        timed_.front().first <= clock->now + timeoutMs) {
        clock->now = std::max(clock->now, timed_.front().first);
        const int key = timed_.front().second;
        timed_.pop_front();
        idleWaits_ = 0;
        return Event::keyDown(key);
    }
    if (pending_.empty()) {
        if (closeWhenIdle) return Event::close();
        // A poll without sleeping takes a tenth of a millisecond here.
        if (clock) clock->now += timeoutMs > 0 ? timeoutMs : (++zeroWaits_ % 10 == 0 ? 1 : 0);
        if (idleEvent) {
            const Event e = idleEvent();
            if (e.kind != EventKind::None) return e;
        }
        if (hangGuard > 0 && ++idleWaits_ > hangGuard) {
            faults.emplace_back("the program waits forever");
            idleWaits_ = 0;
            return Event::controlEvent(ctl::kStop, ControlEventKind::Clicked);
        }
        return Event::none();
    }
    idleWaits_ = 0;
    const Event e = pending_.front();
    pending_.pop_front();
    if (e.kind == EventKind::None && clock) clock->now += timeoutMs;
    return e;
}

void MemoryWindow::click(ControlId id) {
    step([this, id] {
        if (!controls.at(id).enabled || !controls.at(id).visible) return;  // the platform drops it
        pending_.push_back(Event::controlEvent(id, ControlEventKind::Clicked));
    });
}

void MemoryWindow::focus(ControlId id) {
    step([this, id] {
        if (focused_ == id) return;
        if (focused_ >= 0 && reportsFocus(focused_))
            pending_.push_back(Event::controlEvent(focused_, ControlEventKind::FocusLost));
        focused_ = id;
        if (reportsFocus(id))
            pending_.push_back(Event::controlEvent(id, ControlEventKind::FocusGained));
    });
}

void MemoryWindow::type(ControlId id, std::string_view keys) {
    for (char c : keys) {
        step([this, id, c] {
            const int vk = c == '\b' ? 8 : (c >= 'a' && c <= 'z' ? c - 32 : c);
            pending_.push_back(Event::keyDown(vk));
            std::string& text = controls.at(id).text;
            if (c == '\b') {
                if (text.empty()) return;
                text.pop_back();
            } else {
                const bool digitsOnly = controlTable().at(id).kind == ControlKind::NumberField;
                if (digitsOnly && (c < '0' || c > '9')) return;  // refused by the field
                text.push_back(c);
            }
            pending_.push_back(Event::controlEvent(id, ControlEventKind::TextChanged));
        });
    }
}

void MemoryWindow::key(int virtualKey) {
    step([this, virtualKey] { pending_.push_back(Event::keyDown(virtualKey)); });
}

void MemoryWindow::idle(int waits) {
    for (int i = 0; i < waits; ++i)
        step([this] { pending_.push_back(Event::none()); });
}

void MemoryWindow::tick() {
    step([this] { pending_.push_back(Event::timerTick(123)); });
}

void MemoryWindow::removePort(int comNumber) {
    step([this, comNumber] { pending_.push_back(Event::portRemoved(comNumber)); });
}

void MemoryWindow::close() {
    step([this] { pending_.push_back(Event::close()); });
}

}  // namespace tarvel::memory
