#include "memory/memory_window.h"
#include "platform/keys.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tarvel::memory {
namespace {

ControlKind kindOf(ControlId id) {
    return specOf(id).kind;
}

// Fields and the command box report focus changes; buttons and trackbars take the focus silently.
bool reportsFocus(ControlId id) {
    return tarvel::reportsFocus(kindOf(id));
}

// The keys of the US keyboard's punctuation, by the character typed without and with Shift.
struct Punctuation {
    char plain, shifted;
    int key;
};
constexpr Punctuation kPunctuation[] = {
    {'-', '_', 0xBD},  {'=', '+', 0xBB}, {'[', '{', 0xDB},  {']', '}', 0xDD},
    {'\\', '|', 0xDC}, {';', ':', 0xBA}, {'\'', '"', 0xDE}, {',', '<', 0xBC},
    {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0},
};
// The shifted characters of the digit row, from 0 to 9.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// The next character of UTF-8 text (a byte that starts none stands for itself).
char32_t nextCharacter(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (int i = 0; i < more && at < text.size(); ++i)
        c = (c << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    return c;
}

}  // namespace

KeyStroke keyFor(char32_t c) {
    if (c >= 'a' && c <= 'z') return {static_cast<int>(c - 'a' + 'A'), false};
    if (c >= 'A' && c <= 'Z') return {static_cast<int>(c), true};
    if (c >= '0' && c <= '9') return {static_cast<int>(c), false};
    if (c == ' ') return {key::kSpace, false};
    if (c == '\b') return {key::kBackspace, false};
    if (c == '\r' || c == '\n') return {0x0D, false};
    if (c == '\t') return {key::kTab, false};
    for (int d = 0; d < 10; ++d)
        if (c == static_cast<char32_t>(kShiftedDigits[d])) return {'0' + d, true};
    for (const Punctuation& p : kPunctuation) {
        if (c == static_cast<char32_t>(p.plain)) return {p.key, false};
        if (c == static_cast<char32_t>(p.shifted)) return {p.key, true};
    }
    return {key::kPacket, false};
}

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

void MemoryWindow::startTimer(int id, int periodMs) {
    timers[id] = periodMs;
    if (clock) nextTickMs_ = clock->now + periodMs;
}

void MemoryWindow::setText(ControlId id, std::string_view text) {
    controls[id].text = text;
    if (keepLogs) textLog.push_back({clock ? clock->now : 0, id, controls[id].text});
}

void MemoryWindow::setState(ControlId id, int state) {
    // Only the bars have a position; Windows ignores it for any other control.
    const ControlKind kind = kindOf(id);
    if (kind == ControlKind::Trackbar) state = std::clamp(state, 1, 10);
    if (kind == ControlKind::ProgressBar) state = std::clamp(state, 0, 100);
    if (kind != ControlKind::Trackbar && kind != ControlKind::ProgressBar) return;
    controls[id].state = state;
    if (keepLogs) stateLog.emplace_back(id, state);
}

Answer MemoryWindow::ask(std::string_view question, Choices choices, Answer byDefault) {
    questions.push_back({std::string(question), choices, byDefault});
    if (answers.empty()) return byDefault;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<Event> MemoryWindow::dueTick(int timeoutMs) {
    if (!clock || timers.empty() || nextTickMs_ > clock->now + timeoutMs) return std::nullopt;
    const auto& [id, periodMs] = *timers.begin();
    clock->now = std::max(clock->now, nextTickMs_);
    nextTickMs_ += periodMs;
    return Event::timerTick(id);
}

Event MemoryWindow::takeTimed() {
    clock->now = std::max(clock->now, timed_.front().first);
    const Event event = timed_.front().second;
    timed_.pop_front();
    idleWaits_ = 0;
    return event;
}

std::optional<Event> MemoryWindow::portBefore(std::int64_t deadlineMs) {
    if (!port_) return std::nullopt;
    if (port_->settle()) return Event::portReady();
    if (!clock) return std::nullopt;
    // A key due earlier comes first.
    const std::int64_t until =
        timed_.empty() ? deadlineMs : std::min(deadlineMs, timed_.front().first - 1);
    for (int quiet = port_->quietForMs(); quiet >= 0 && clock->now + quiet <= until;
         quiet = port_->quietForMs()) {
        clock->now += quiet;
        if (port_->settle()) return Event::portReady();
        if (quiet == 0) break;  // due, and still nothing: no more to wait for
    }
    return std::nullopt;
}

Event MemoryWindow::waitForEvent(int timeoutMs) {
    ++waits;
    if (keepLogs) waitTimeouts.push_back(timeoutMs);
    while (pending_.empty() && !script_.empty()) {
        auto action = std::move(script_.front());
        script_.pop_front();
        action();
    }
    const std::int64_t deadline = clock ? clock->now + timeoutMs : 0;
    const auto lastOut = [&] {
        if (clock) clock->now = std::max(clock->now, deadline);
    };
    if (pending_.empty() && timedBy(clock ? clock->now : 0)) return takeTimed();
    if (pending_.empty() && (std::exchange(portSignalled_, false) || (port_ && port_->settle()))) {
        // The operator acts on what the program has done so far also while the port keeps
        // every wait busy; the port's sign then waits for the next.
        if (script_.empty() && idleEvent && !closeWhenIdle) {
            const Event e = idleEvent();
            portSignalled_ = e.kind != EventKind::None;
            if (portSignalled_) return e;
        }
        return Event::portReady();
    }
    if (pending_.empty())
        if (const std::optional<Event> port = portBefore(deadline)) return *port;
    if (pending_.empty() && timedBy(deadline)) return takeTimed();
    if (!pending_.empty()) {
        idleWaits_ = 0;
        const Event e = pending_.front();
        pending_.pop_front();
        if (e.kind != EventKind::None) return e;
        // Nothing from the operator during this wait: it lasts its time-out, unless the port
        // wakes it first.
        if (const std::optional<Event> port = portBefore(deadline)) return *port;
        lastOut();
        return e;
    }
    if (closeWhenIdle) return Event::close();
    // The timer's tick comes when the clock reaches it, as on Windows.
    if (const std::optional<Event> tick =
            dueTick(static_cast<int>(deadline - (clock ? clock->now : 0))))
        return *tick;
    // A poll without sleeping takes a tenth of a millisecond here.
    if (clock) {
        if (timeoutMs > 0)
            lastOut();
        else
            clock->now += ++zeroWaits_ % 10 == 0 ? 1 : 0;
    }
    if (idleEvent) {
        const Event e = idleEvent();
        if (e.kind != EventKind::None) return e;
    }
    if (activity && *activity != activitySeen_) {
        activitySeen_ = *activity;
        idleWaits_ = 0;
    }
    if (hangGuard > 0 && ++idleWaits_ > hangGuard) {
        faults.emplace_back("the program waits forever");
        idleWaits_ = 0;
        return Event::controlEvent(ctl::kStop, ControlEventKind::Clicked);
    }
    return Event::none();
}

void MemoryWindow::click(ControlId id, bool towardsEnd) {
    step([this, id, towardsEnd] {
        MemoryControl& c = controls[id];
        if (!c.enabled || !c.visible || !takesFocus(kindOf(id)))
            return;  // dropped, as Windows does
        moveFocusTo(id);
        if (kindOf(id) == ControlKind::Button)
            pending_.push_back(Event::controlEvent(id, ControlEventKind::Clicked));
        if (kindOf(id) != ControlKind::Trackbar) return;
        // A click beside the thumb moves it by a page, one step of 1 to 10, and tells of it
        // (WM_HSCROLL) as the operator moving it does.
        c.state = std::clamp(c.state + (towardsEnd ? 1 : -1), 1, 10);
        pending_.push_back(Event::controlEvent(id, ControlEventKind::Other));
    });
}

void MemoryWindow::focus(ControlId id) {
    step([this, id] { moveFocusTo(id); });
}

void MemoryWindow::moveFocusTo(ControlId id) {
    if (focused_ == id) return;
    if (kEveryControl.contains(focused_) && reportsFocus(focused_))
        pending_.push_back(Event::controlEvent(focused_, ControlEventKind::FocusLost));
    focused_ = id;
    if (reportsFocus(id))
        pending_.push_back(Event::controlEvent(id, ControlEventKind::FocusGained));
}

// In number order, round, to the next control that takes the focus and can have it now.
void MemoryWindow::moveFocusOn(bool backwards) {
    const int count = kEveryControl.size();
    const int step = backwards ? count - 1 : 1;
    int place = kEveryControl.contains(focused_) ? kEveryControl.placeOf(focused_)
                                                 : (backwards ? 0 : count - 1);
    for (int tried = 0; tried < count; ++tried) {
        place = (place + step) % count;
        const ControlId id = kEveryControl.at(place);
        const MemoryControl& c = controls[id];
        if (!takesFocus(kindOf(id)) || !c.enabled || !c.visible) continue;
        moveFocusTo(id);
        return;
    }
}

void MemoryWindow::type(std::string_view keys) {
    for (std::size_t at = 0; at < keys.size();) {
        const std::size_t start = at;
        const char32_t c = nextCharacter(keys, at);
        const std::string character(keys.substr(start, at - start));
        step([this, c, character] {
            const KeyStroke stroke = keyFor(c);
            if (stroke.shift) pending_.push_back(Event::keyDown(key::kShift));
            pending_.push_back(Event::keyDown(stroke.key));
            takeCharacter(focused_, c, character);
        });
    }
}

// What the focused control does with a character typed: only the edit boxes take one.
void MemoryWindow::takeCharacter(ControlId id, char32_t c, const std::string& character) {
    if (!kEveryControl.contains(id) || !reportsFocus(kindOf(id))) return;
    std::string& text = controls[id].text;
    if (c == '\b') {
        // Deletes the last character, not its last byte.
        if (text.empty()) return;
        std::size_t last = text.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80)
            --last;
        text.erase(last);
    } else if (c == '\r' || c == '\n') {
        // The command box breaks its line; a field of one line takes no Enter.
        if (kindOf(id) != ControlKind::CommandBox) return;
        text += "\r\n";
    } else {
        const bool digitsOnly = kindOf(id) == ControlKind::NumberField;
        if (digitsOnly && (c < '0' || c > '9')) return;  // refused by the field
        text += character;
    }
    // An edit box tells of a change twice: about to show it (EN_UPDATE), and shown.
    pending_.push_back(Event::controlEvent(id, ControlEventKind::Other));
    pending_.push_back(Event::controlEvent(id, ControlEventKind::TextChanged));
}

void MemoryWindow::key(int virtualKey) {
    step([this, virtualKey] {
        pending_.push_back(Event::keyDown(virtualKey));
        // Tab only moves the focus; the focused control does not get it.
        if (virtualKey == key::kTab) moveFocusOn(false);
    });
}

void MemoryWindow::shiftTab() {
    step([this] {
        pending_.push_back(Event::keyDown(key::kShift));
        pending_.push_back(Event::keyDown(key::kTab));
        moveFocusOn(true);
    });
}

void MemoryWindow::idle(int waits) {
    for (int i = 0; i < waits; ++i)
        step([this] { pending_.push_back(Event::none()); });
}

void MemoryWindow::wait(int milliseconds) {
    step([this, milliseconds] {
        if (clock) clock->now += milliseconds;
        pending_.push_back(Event::none());
    });
}

void MemoryWindow::tick() {
    step([this] {
        if (!timers.empty()) pending_.push_back(Event::timerTick(timers.begin()->first));
    });
}

void MemoryWindow::removePort(int comNumber) {
    step([this, comNumber] { pending_.push_back(Event::portRemoved(comNumber)); });
}

void MemoryWindow::close() {
    step([this] { pending_.push_back(Event::close()); });
}

}  // namespace tarvel::memory
