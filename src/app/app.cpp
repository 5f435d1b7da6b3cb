#include "app/app.h"

#include "app/dispatch.h"
#include "app/window_ops.h"
#include "manual/readout.h"
#include "profile/settings_file.h"
#include "state/event_wait.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

constexpr int kLoopWaitMs = 20;
constexpr int kTimerId = 123;
constexpr int kTimerPeriodMs = 250;

}  // namespace

App::App(Window& window, SerialPort& port, Clock& clock, Power& power, Files& files,
         FileDialogs& dialogs)
    : window_(window),
      power_(power),
      files_(files),
      exchange_(window, port, clock, power, state_),
      link_(window, port, clock, state_, exchange_),
      cycles_(window, exchange_, state_),
      jogging_(window, exchange_, state_),
      keyPacer_(clock, jogging_),
      setup_(window, exchange_, link_, state_),
      profile_(window, files, dialogs, state_) {}

int App::run() {
    if (!startUp()) return 1;
    while (!state_.quitRequested)
        mainLoopPass();
    return 0;
}

bool App::startUp() {
    state_ = ProgramState{};
    if (const std::string why = window_.create(); !why.empty()) {
        // The operator must learn why nothing appeared, and a script that started the program
        // that it failed.
        window_.showMessage("Программа не запущена: " + why + ".");
        return false;
    }

    state_.firstPortToTry = 1;
    state_.accelStart = 3000;
    state_.accelRun = 3000;
    state_.feedE = 220000;
    state_.feedYZ = 120000;

    window_.startTimer(kTimerId, kTimerPeriodMs);
    window_.setState(ctl::kWindingSpeed, 8);
    readSettings(files_, state_);
    disableMachineControls(window_);
    link_.reconnect();
    // The window always opens with two section columns; the real count follows the first event.
    applySectionLayout(window_, 2);
    return true;
}

void App::mainLoopPass() {
    state_.stopRequested = false;
    // A key-down taken last by the previous wait (this loop's or a handler's) is acted on now;
    // the ones a handler's wait took before it are lost.
    if (state_.lastEvent.kind == EventKind::KeyDown) {
        dispatchKey(*this, state_.lastEvent.key);
        refreshReadout();
        noticeLostConnection();
    }

    // Idle: the computer may sleep again.
    power_.keepSystemAwake(false);
    const Event event = waitForEvent(window_, state_, keyPacer_.waitMs(kLoopWaitMs));
    if (keyPacer_.afterWait(event)) refreshReadout();
    if (event.kind == EventKind::PortRemoved) link_.portRemoved(event.port);
    if (event.kind == EventKind::Control) {
        updateSectionLayout(window_, state_);
        dispatchControl(*this, event);
        refreshReadout();
    }
    noticeLostConnection();
    // A handler's nested wait may have replaced the event: look at the last one taken.
    if (state_.lastEvent.kind == EventKind::Close) {
        state_.quitRequested = true;
        link_.close();
    }
}

// After the operation that found the controller gone has ended, so nothing it does at its end
// enables a machine control again.
void App::noticeLostConnection() {
    if (const auto line = exchange_.takeLostLine()) link_.connectionLost(*line);
}

void App::refreshReadout() {
    window_.setText(ctl::kReadout, positionReadout(state_.position));
}

}  // namespace tarvel
