#include "app/app.h"

#include "app/window_ops.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

constexpr int kLoopWaitMs = 20;
constexpr int kTimerId = 123;
constexpr int kTimerPeriodMs = 250;

}  // namespace

App::App(Window& window, SerialPort& port, Clock& clock)
    : window_(window),
      exchange_(window, port, clock, state_),
      link_(window, port, clock, state_, exchange_),
      cycles_(window, exchange_, state_),
      setup_(window, exchange_, link_) {}

int App::run() {
    if (startUp()) {
        while (!state_.quitRequested)
            mainLoopPass();
    }
    return 0;
}

bool App::startUp() {
    state_ = ProgramState{};
    if (!window_.create()) return false;

    state_.firstPortToTry = 1;
    state_.accelStart = 3000;
    state_.accelRun = 3000;
    state_.feedE = 220000;
    state_.feedYZ = 120000;

    window_.startTimer(kTimerId, kTimerPeriodMs);
    window_.setState(ctl::kWindingSpeed, 8);
    disableMachineControls(window_);
    link_.reconnect();
    // The window always opens with two section columns; the real count follows the first event.
    applySectionLayout(window_, 2);
    return true;
}

void App::mainLoopPass() {
    state_.stopRequested = false;
    // A key-down taken by the last wait (here or inside a handler) is acted on now.
    if (state_.lastEvent.kind == EventKind::KeyDown) dispatchKey(state_.lastEvent.key);

    const Event event = waitForEvent(kLoopWaitMs);
    if (event.kind == EventKind::Timer) return;
    if (event.kind == EventKind::Control) {
        updateSectionLayout(window_, state_);
        dispatchControl(event);
    }
    // A handler's nested wait may have replaced the event: look at the last one taken.
    if (state_.lastEvent.kind == EventKind::Close) {
        state_.quitRequested = true;
        link_.close();
    }
}

Event App::waitForEvent(int timeoutMs) {
    state_.lastEvent = window_.waitForEvent(timeoutMs);
    return state_.lastEvent;
}

void App::dispatchKey(int /*key*/) {}

void App::dispatchControl(const Event& event) {
    const ControlId id = event.control;
    if (hasFocusEditing(id)) {
        if (event.sub == ControlEventKind::FocusGained) fieldFocusGained(id);
        if (event.sub == ControlEventKind::FocusLost) fieldFocusLost(id);
    }
    if (event.sub == ControlEventKind::Clicked) {
        if (id == ctl::kRefresh) link_.reconnect();
        if (id == ctl::kSend) exchange_.sendOperatorCommand();
        if (id == ctl::kStartPosition) setup_.startPosition();
        if (id == ctl::kStake) cycles_.stakeCommutator();
        if (id >= ctl::kSection1 && id < ctl::kSection1 + 4) windSection(id - ctl::kSection1 + 1);
    }
    if (event.sub == ControlEventKind::TextChanged) {
        if (id == ctl::kPoles) copyPolesToSections(window_);
        if (id == ctl::kTurns) copyTurnsToSections(window_);
    }
}

void App::windSection(int section) {
    // No second cycle can be started while this one runs; the cycle enables them at its end.
    for (int i = 0; i < 4; ++i)
        window_.enable(ctl::kSection1 + i, false);
    cycles_.windSection(section);
    if (section == 2) state_.lastEvent = Event::none();
}

void App::fieldFocusGained(ControlId id) {
    state_.savedFieldText = window_.text(id);
    window_.setText(id, "");
}

void App::fieldFocusLost(ControlId id) {
    if (window_.text(id).empty()) window_.setText(id, state_.savedFieldText);
}

}  // namespace tarvel
