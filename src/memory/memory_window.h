// The main window held in memory, built from the control table, and a clock that advances only
// when the program waits. An operator is scripted: each step runs when the program next waits
// for an event, so typing after a click sees what the program did with the click, as on the
// real screen. The tests drive the whole program through it, and so does the plan tool.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "memory/memory_clock.h"
#include "platform/keys.h"
#include "platform/serial.h"
#include "platform/window.h"
#include "ui/control_table.h"

namespace tarvel::memory {

// The key that types a character on the PC's keyboard (US layout, as Windows' VkKeyScanW gives
// it): its virtual-key code, and whether Shift is held. A character without a key of its own
// (Cyrillic typed by a layout, symbols) comes as VK_PACKET.
struct KeyStroke {
    int key;
    bool shift;
    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};
KeyStroke keyFor(char32_t character);

struct MemoryControl {
    std::string text;
    int state = 0;
    bool enabled = true;
    bool visible = true;
    std::optional<Rgb> front, back;
    std::string tip;
};

// The controls, by id.
class MemoryControls {
  public:
    MemoryControl& operator[](ControlId id) { return items_.at(id.index()); }
    const MemoryControl& operator[](ControlId id) const { return items_.at(id.index()); }
    void clear() { items_.clear(); }
    void push_back(MemoryControl control) { items_.push_back(std::move(control)); }
    std::size_t size() const { return items_.size(); }

  private:
    std::vector<MemoryControl> items_;
};

class MemoryWindow : public Window {
  public:
    std::string create() override;
    // Its ticks come as Windows sends them: one each period of the clock, to the wait that
    // reaches it (with no clock, none).
    void startTimer(int id, int periodMs) override;
    std::string text(ControlId id) const override { return controls[id].text; }
    void setText(ControlId id, std::string_view text) override;
    int state(ControlId id) const override { return controls[id].state; }
    void setState(ControlId id, int state) override;
    void enable(ControlId id, bool enabled) override { controls[id].enabled = enabled; }
    void show(ControlId id, bool visible) override { controls[id].visible = visible; }
    void setFrontColour(ControlId id, Rgb c) override { controls[id].front = c; }
    void setBackColour(ControlId id, Rgb c) override { controls[id].back = c; }
    void setTip(ControlId id, std::string_view text) override { controls[id].tip = text; }
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    // Takes the next of `answers`; none left: the default, as Enter gives it.
    Answer ask(std::string_view question, Choices choices, Answer byDefault) override;
    // A watched port's bytes end a wait when the clock reaches them, as an event of their own.
    Event waitForEvent(int timeoutMs) override;
    void watch(SerialPort& port) override { port_ = &port; }

    // Operator actions, queued as script steps. They give the events Windows gives: a click on
    // an enabled control moves the focus to it (the field that had it tells it lost it, a field
    // that gets it tells it gained it), and a button then reports the click; a trackbar moves
    // its thumb a page (one step) toward the click, below it or above it as `towardsEnd` says,
    // and tells of it; labels and bars take no clicks.
    void click(ControlId id, bool towardsEnd = true);
    void focus(ControlId id);  // focus lost by the focused field, then gained by `id`
                               // (fields tell, buttons and trackbars do not)
    // One step per character, into the control that has the focus: its key goes down (Shift
    // first where the keyboard needs it), and an edit box takes the character; '\b' deletes. A
    // number field refuses what is no digit; Enter ('\r' or '\n') breaks the line of the
    // command box ("\r\n") and does nothing to a field of one line.
    void type(std::string_view keys);
    // A key-down; Tab also moves the focus to the next control that takes it, as Windows does.
    void key(int virtualKey);
    // Shift+Tab: the focus to the control before.
    void shiftTab();
    ControlId focused() const { return focused_; }
    void idle(int waits);         // waits that find no event
    void wait(int milliseconds);  // the operator does nothing for a while
    void tick();                  // the timer the program started, at once
    std::int64_t nextTickMs() const { return nextTickMs_; }
    void close();
    // The system reports the device of COMn removed.
    void removePort(int comNumber);
    // A key-down at a moment of the clock, for the first wait that reaches it; later than the
    // scripted steps, in the order given.
    void keyAt(std::int64_t atMs, int virtualKey) {
        timed_.push_back({atMs, Event::keyDown(virtualKey)});
    }
    // The same for a click on a button, which takes no focus from a wait (СТОП, ПАУЗА).
    void clickAt(std::int64_t atMs, ControlId id) {
        timed_.push_back({atMs, Event::controlEvent(id, ControlEventKind::Clicked)});
    }
    void step(std::function<void()> action) { script_.push_back(std::move(action)); }
    // When the script has run out: a close event (so App::run ends) instead of none.
    bool closeWhenIdle = true;
    // Otherwise, what such a wait returns (none when unset): an operator who acts on what the
    // program has done so far.
    std::function<Event()> idleEvent;

    bool scriptDone() const { return script_.empty() && pending_.empty() && timed_.empty(); }
    bool visible(ControlId id) const { return controls[id].visible; }
    bool enabled(ControlId id) const { return controls[id].enabled; }

    // Advanced by every wait that times out, when set.
    MemoryClock* clock = nullptr;
    // A wait that never ends is a fault of the program: after this many waits in a row with
    // nothing scripted and nothing on the line (`activity` unchanged), the window notes it and
    // presses СТОП to get out. 0: never.
    int hangGuard = 100000;
    // A count that moves whenever the program's port carries a byte, when set.
    const std::uint64_t* activity = nullptr;
    std::vector<std::string> faults;
    // Whether every wait's time-out, every state and every text set are kept (waitTimeouts,
    // stateLog, textLog); a long run of a plan does without.
    bool keepLogs = true;

    bool created = false;
    // What create() fails with, when set: the window is then not made.
    std::string createFailure;
    MemoryControls controls;
    std::map<int, int> timers;
    std::vector<std::string> messages;
    // The operator's answers to the questions to come, and the questions asked.
    std::deque<Answer> answers;
    struct Question {
        std::string text;
        Choices choices;
        Answer byDefault;
    };
    std::vector<Question> questions;
    std::vector<std::pair<ControlId, int>> stateLog;  // every state the program set on a bar
    struct Shown {
        std::int64_t atMs;
        ControlId id;
        std::string text;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::vector<Shown> textLog;  // every text the program set, and when
    // The texts of one control in textLog.
    std::vector<Shown> textsOf(ControlId id) const {
        std::vector<Shown> of;
        for (const Shown& shown : textLog)
            if (shown.id == id) of.push_back(shown);
        return of;
    }
    int waits = 0;
    std::vector<int> waitTimeouts;

  private:
    // Moves the focus as Windows does, with the events it gives.
    void moveFocusTo(ControlId id);
    void moveFocusOn(bool backwards);
    void takeCharacter(ControlId id, char32_t c, const std::string& character);

    std::deque<std::function<void()>> script_;
    std::deque<Event> pending_;
    std::deque<std::pair<std::int64_t, Event>> timed_;
    // The next tick of the timer, by the clock.
    std::optional<Event> dueTick(int timeoutMs);
    // The watched port's sign, when it has something now or by `deadlineMs` (the clock moved
    // to it); the clock may have moved meanwhile to what was due and brought nothing.
    std::optional<Event> portBefore(std::int64_t deadlineMs);
    // A timed event is due by `ms` of the clock.
    bool timedBy(std::int64_t ms) const {
        return clock && !timed_.empty() && timed_.front().first <= ms;
    }
    // The first of the timed events, the clock moved to it.
    Event takeTimed();
    SerialPort* port_ = nullptr;
    bool portSignalled_ = false;  // the port's sign, held back by an event of the operator

    ControlId focused_;
    int idleWaits_ = 0;
    std::uint64_t activitySeen_ = 0;
    std::int64_t nextTickMs_ = 0;
    int zeroWaits_ = 0;
};

}  // namespace tarvel::memory
