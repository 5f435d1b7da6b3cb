#include "app/app.h"

#include "app/dispatch.h"
#include "manual/readout.h"
#include "profile/settings_file.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

// The loop sleeps until the operator, the port or a held key's next jog wakes it: this only
// bounds how long nothing at all happens.
constexpr int kLoopWaitMs = 1000;

}  // namespace

App::App(Window& window, SerialPort& port, Clock& clock, Power& power, Files& files,
         FileDialogs& dialogs)
    : window_(window),
      power_(power),
      files_(files),
      events_(window),
      run_(ctl::kStop, ctl::kPause),
      views_(window),
      exchange_(events_, port, clock, power, run_, linkState_, views_),
      steps_(exchange_, position_),
      link_(port, clock, linkState_, steps_, views_),
      cycles_(views_, views_, steps_, run_, layout_, speeds_),
      jogging_(steps_, layout_, views_),
      keyPacer_(clock, jogging_, linkState_.machine),
      setup_(views_, views_, steps_, link_, layout_),
      commandBox_(steps_, views_),
      profile_(views_, files, dialogs) {
    window_.watch(port);
}

int App::run(const std::function<void()>& started) {
    if (!startUp()) return 1;
    if (started) started();
    while (!quitRequested_)
        mainLoopPass();
    return 0;
}

bool App::startUp() {
    if (const std::string why = window_.create(); !why.empty()) {
        // The operator must learn why nothing appeared, and a script that started the program
        // that it failed.
        window_.showMessage("Программа не запущена: " + why + ".");
        return false;
    }

    // The start values, in every piece of the state.
    events_.forgetLast();
    run_.startCycle();
    linkState_ = LinkState{};
    position_ = TrackedPosition{};
    layout_ = SectionLayout{};
    speeds_ = SpeedValues{};
    focusEditing_ = FocusEditing{};
    quitRequested_ = false;

    window_.setState(ctl::kWindingSpeed, 8);
    readSettings(files_, speeds_);
    disableMachineControls(window_);
    link_.reconnect();
    // The window always opens with two section columns; the real count follows the first event.
    applySectionLayout(window_, 2);
    return true;
}

void App::mainLoopPass() {
    run_.startOperation();
    // A key-down taken last by the previous wait (this loop's or a handler's) is acted on now;
    // the ones a handler's wait took before it are lost.
    if (events_.last().kind == EventKind::KeyDown) {
        const int key = events_.last().key;
        // Acted on once, whatever the next wait takes (a tick leaves the last event as it is).
        events_.forgetLast();
        dispatchKey(*this, key);
        refreshReadout();
        noticeLostConnection();
    }

    // Idle: the computer may sleep again.
    power_.keepSystemAwake(false);
    const Event event = events_.next(keyPacer_.waitMs(exchange_.restWaitMs(kLoopWaitMs)));
    if (keyPacer_.afterWait(event)) refreshReadout();
    noticePortAtRest(event);
    if (event.kind == EventKind::Control) {
        updateSectionLayout(window_, layout_);
        dispatchControl(*this, event);
        refreshReadout();
    }
    noticeLostConnection();
    noticeRestart();
    noticeHalt();
    // A handler's nested wait may have replaced the event: look at the last one taken.
    if (events_.last().kind == EventKind::Close) {
        quitRequested_ = true;
        link_.close();
    }
}

// The port's device gone while nothing was being sent: the system says so, or a look at the port
// fails.
void App::noticePortAtRest(const Event& event) {
    const bool removed = event.kind == EventKind::PortRemoved && link_.portRemoved(event.port);
    if (!removed && exchange_.lookAtRest()) return;
    if (!removed) link_.connectionLost(std::nullopt, false);
    cycles_.dropContinuation();
}

// After the operation that found the controller gone has ended, so nothing it does at its end
// enables a machine control again.
void App::noticeLostConnection() {
    if (const std::optional<LostLine> lost = exchange_.takeLostLine()) {
        link_.connectionLost(lost->line, lost->stuck);
        cycles_.dropContinuation();
    }
}

// After the operation that the restart ended, so that none of its lines goes out.
void App::noticeRestart() {
    if (!linkState_.watch.restarted()) return;
    cycles_.dropContinuation();
    // The zero line goes out whatever stopped or paused the operation.
    run_.startCycle();
    link_.controllerRestarted();
    refreshReadout();
}

// A halted controller has switched its motors off wherever the machine was in its queue: the
// program no longer knows where any axis stands, until the port is opened again.
void App::noticeHalt() {
    if (!linkState_.watch.halt()) return;
    const TrackedPosition::Known none{false, false, false};
    if (position_.known == none) return;
    position_.known = none;
    refreshReadout();
}

void App::refreshReadout() {
    window_.setText(ctl::kReadout, positionReadout(position_));
}

}  // namespace tarvel
