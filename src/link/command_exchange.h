// The exchange of G-code lines with the controller: one line, then a wait for its "ok". Every
// wait reads what the controller sends, so its faults (a restart, a halt, silence) are seen
// wherever the program is.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "link/connection_view.h"
#include "link/line_sender.h"
#include "link/link_state.h"
#include "platform/power.h"
#include "platform/serial.h"
#include "platform/window.h"
#include "state/event_source.h"
#include "state/run_control.h"

namespace tarvel {

// Finds "ok" in the bytes received since a line was written, also when the two letters arrive
// in two reads.
class AcknowledgementScanner {
  public:
    // Feeds one read; true once "ok" has been seen.
    bool feed(std::string_view bytes);

  private:
    bool lastWasO_ = false;
};

// The line whose wait found the controller's device gone, or stuck with the line half written.
struct LostLine {
    std::string line;
    bool stuck = false;
};

class WaitStatus;

class CommandExchange final : public LineSender {
  public:
    CommandExchange(EventSource& events, SerialPort& port, Clock& clock, Power& power,
                    RunControl& run, LinkState& state, ConnectionView& view);

    // While a line waits for its acknowledgement the window stays alive; only СТОП and ПАУЗА
    // act.
    LineResult sendLine(std::string_view line, Pace pace = Pace::AtOnce) override;
    LineResult sendMove(std::string_view head, double target, std::string_view tail,
                        NumberForm form = NumberForm::Integer, Pace pace = Pace::AtOnce) override;
    std::optional<motion::Axes> takeReport() override { return state_.watch.takeReport(); }

    // For a test that wants to see each read a wait examines, as text (at most 92 bytes, up to
    // the first zero byte); nothing is decoded while none is set.
    void observeReplies(std::function<void(const std::string&)> observer) {
        observer_ = std::move(observer);
    }
    // The line whose wait found the controller gone, once; the operation it belonged to has
    // ended as after СТОП.
    std::optional<LostLine> takeLostLine() { return std::exchange(lost_, std::nullopt); }
    // While the program is idle: reads what the controller has sent, so a restart or a halt is
    // seen as it comes, not only at the next line. False when the port's device was found gone.
    bool lookAtRest();
    // How long the loop may sleep at rest: less than `longestMs` while a write that СТОП left
    // going out may yet get stuck.
    int restWaitMs(int longestMs);

  private:
    // Holds the next line of a cycle back until the machine has no more than the look-ahead
    // left to carry out; СТОП and ПАУЗА act meanwhile as in the wait for "ok", and what the
    // controller sends is read. What keeps the line from going out, if anything.
    std::optional<LineResult> awaitMachine(std::string_view line);
    // Waits for the line's "ok"; СТОП, or a fault of the controller, ends the wait. Lost when
    // the line did not go out whole.
    LineResult awaitAcknowledgement(std::string_view line);
    // A write still going out (СТОП ended the wait of its line) ends before the next begins, or
    // is given up when it is stuck. What keeps `line` from going out, if anything.
    std::optional<LineResult> awaitWriteEnd(std::string_view line);
    // How long the write going out may yet take before it counts as stuck.
    std::int64_t untilWriteStuckMs() const;
    // The write has gone on longer than a line can take: the device takes no more.
    bool writeStuck();
    // Ends the wait of `line` as СТОП would: the device is stuck, and nothing more is written.
    void giveUpWrite(std::string_view line);
    // Reads everything waiting; false when the device was found gone.
    bool readWaiting();
    // Everything read from the controller is looked at for its faults and its reports.
    void take(std::string_view bytes);
    // The controller restarted or halted: no line goes out until its port is opened again (the
    // restart's own zero line aside).
    bool faulted() const { return state_.watch.restarted() || state_.watch.halt().has_value(); }
    // A line that a halt holds back: the operator is told once for the operation.
    LineResult heldByHalt();
    // How long the next event wait of an unanswered line may sleep: the controller's bytes wake
    // it, so only until the status has more to say or the write is to be given up.
    int nextWaitMs(const WaitStatus& status);
    // The system reports the device of the controller's port removed.
    bool removesConnectedPort(const Event& event) const;
    // Ends the wait of `line` as СТОП would: the port has lost its device.
    void lose(std::string_view line);
    // The same once `line` went out whole; what became of it.
    LineResult lost(std::string_view line);

    EventSource& events_;
    SerialPort& port_;
    Clock& clock_;
    Power& power_;
    RunControl& run_;
    LinkState& state_;
    ConnectionView& view_;
    std::int64_t writeStartedMs_ = 0;
    std::string writtenLine_;  // the last line written
    std::function<void(const std::string&)> observer_;
    std::optional<LostLine> lost_;
};

}  // namespace tarvel
