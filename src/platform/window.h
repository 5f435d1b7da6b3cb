// The window as the core sees it: controls addressed by number, and one event at a time.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvel {

class SerialPort;

// A control of the main window, by the number the window gives it. A name, not a quantity: ids
// do not add up, and a run of controls is named by its first and last (ui/control_ids.h).
class ControlId {
  public:
    constexpr ControlId() = default;
    constexpr explicit ControlId(int number) : number_(number) {}
    constexpr int number() const { return number_; }
    constexpr std::size_t index() const { return static_cast<std::size_t>(number_); }
    friend constexpr bool operator==(ControlId, ControlId) = default;
    friend constexpr auto operator<=>(ControlId, ControlId) = default;

  private:
    int number_ = -1;
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// PortRemoved: the system reports the device of a COM port gone (a USB adapter pulled, the
// controller switched off); some drivers say nothing else, and the port's handle stays "open".
// Port: the watched port has something to look at (bytes came, or it failed).
enum class EventKind { None, KeyDown, Control, Timer, Close, PortRemoved, Port };

enum class ControlEventKind { Clicked, FocusGained, FocusLost, TextChanged, Other };

struct Event {
    EventKind kind = EventKind::None;
    int key = 0;                                     // virtual-key code of a key-down
    ControlId control;                               // control of a control event
    ControlEventKind sub = ControlEventKind::Other;  // what happened to it
    int timer = 0;                                   // number of a timer event
    int port = 0;                                    // n of the COMn port of a removal

    static Event none() { return {}; }
    static Event keyDown(int key) { return {EventKind::KeyDown, key, {}, {}, 0, 0}; }
    static Event controlEvent(ControlId id, ControlEventKind sub) {
        return {EventKind::Control, 0, id, sub, 0, 0};
    }
    static Event timerTick(int id) { return {EventKind::Timer, 0, {}, {}, id, 0}; }
    static Event close() { return {EventKind::Close, 0, {}, {}, 0, 0}; }
    static Event portRemoved(int comNumber) {
        return {EventKind::PortRemoved, 0, {}, {}, 0, comNumber};
    }
    static Event portReady() { return {EventKind::Port, 0, {}, {}, 0, 0}; }
    // Ticks and the port's signs carry no action of the operator.
    bool isOperators() const {
        return kind != EventKind::None && kind != EventKind::Timer && kind != EventKind::Port;
    }
    bool isControl(ControlId id, ControlEventKind s) const {
        return kind == EventKind::Control && control == id && sub == s;
    }
    friend bool operator==(const Event&, const Event&) = default;
};

// A question to the operator: the buttons it offers, and the one pressed.
enum class Choices { YesNo, YesNoCancel };
enum class Answer { Yes, No, Cancel };

// The main window and its controls, built from the control table. Texts are UTF-8. Texts and
// states set through this interface never come back as control events.
class Window {
  public:
    virtual ~Window() = default;

    // Loads the fonts, opens the window centred on the screen and creates every control of the
    // control table in number order. Empty when the window stands; else why the platform could
    // not make it, in the system's words.
    virtual std::string create() = 0;
    virtual void startTimer(int id, int periodMs) = 0;

    virtual std::string text(ControlId id) const = 0;
    virtual void setText(ControlId id, std::string_view text) = 0;
    // Position of a trackbar (1 to 10) or value of a progress bar (0 to 100).
    virtual int state(ControlId id) const = 0;
    virtual void setState(ControlId id, int state) = 0;
    virtual void enable(ControlId id, bool enabled) = 0;
    virtual void show(ControlId id, bool visible) = 0;
    virtual void setFrontColour(ControlId id, Rgb colour) = 0;
    virtual void setBackColour(ControlId id, Rgb colour) = 0;
    // What the window shows while the pointer rests on a control (a label cut short: its whole
    // text); empty: nothing.
    virtual void setTip(ControlId id, std::string_view text) = 0;

    // Tells the operator something that needs a decision before work goes on; returns when the
    // operator has read it.
    virtual void showMessage(std::string_view text) = 0;
    // Asks the operator; Enter presses `byDefault`. Where no box can be shown, the answer that
    // does nothing: No, or Cancel where it is offered.
    virtual Answer ask(std::string_view question, Choices choices, Answer byDefault) = 0;

    // Lets the platform deliver its messages (repainting, typing, focus moves) and returns the
    // next event, or none when `timeoutMs` passes first. A watched port's bytes end the wait at
    // once, as an event of their own.
    virtual Event waitForEvent(int timeoutMs) = 0;
    // The port whose bytes the waits watch from now on.
    virtual void watch(SerialPort& port) = 0;
};

// Delays and a millisecond clock.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleep(int milliseconds) = 0;
    virtual std::int64_t nowMs() = 0;
};

}  // namespace tarvel
