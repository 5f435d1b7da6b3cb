#include "link/command_exchange.h"

#include <algorithm>

#include "numtext/reals.h"

namespace tarvel {
namespace {

constexpr int kReadBufferSize = 200;
constexpr std::size_t kReplyTextLimit = 92;
// The longest single event wait of the exchange: the port's bytes, a window event and СТОП end
// every wait at once, so this only bounds how long nothing at all happens.
constexpr std::int64_t kLongestWaitMs = 1000;
// A 95-byte line takes 8 ms at 115200 baud: a write not done in half a second will not be.
constexpr std::int64_t kWriteStuckMs = 500;
// A live controller sends "busy" lines every 2 s while it holds an answer back: longer silence
// in a wait is shown.
constexpr std::int64_t kSilenceShownMs = 5000;

}  // namespace

// What the status label says while a line waits for its answer: "Нет ответа N с" while the
// controller has been silent for 5 s; "Подключен" again once a byte comes or the wait ends. A
// halt, which the exchange shows itself, stays.
class WaitStatus {
  public:
    WaitStatus(ConnectionView& view, const ControllerWatch& watch, SerialPort& port,
               std::int64_t nowMs)
        : view_(view), watch_(watch), port_(port), lastByteMs_(nowMs) {}
    WaitStatus(const WaitStatus&) = delete;
    WaitStatus& operator=(const WaitStatus&) = delete;
    ~WaitStatus() {
        if (shown_ && !watch_.halt()) view_.showConnected();
    }

    void heard(std::int64_t nowMs) {
        lastByteMs_ = nowMs;
        if (!shown_ || watch_.halt()) return;
        view_.showConnected();
        shown_ = false;
    }
    void quiet(std::int64_t nowMs) {
        const std::int64_t silentMs = nowMs - lastByteMs_;
        if (watch_.halt() || silentMs < kSilenceShownMs || silentMs / 1000 == shownSeconds_) return;
        shownSeconds_ = silentMs / 1000;
        shown_ = true;
        view_.showSilence(shownSeconds_, port_.lineErrors());
    }
    // Until the status has something new to say: the first second of silence shown, or the next.
    std::int64_t untilNextMs(std::int64_t nowMs) const {
        const std::int64_t silentMs = nowMs - lastByteMs_;
        if (silentMs < kSilenceShownMs) return kSilenceShownMs - silentMs;
        return 1000 - silentMs % 1000;
    }

  private:
    ConnectionView& view_;
    const ControllerWatch& watch_;
    SerialPort& port_;
    std::int64_t lastByteMs_;
    std::int64_t shownSeconds_ = 0;
    bool shown_ = false;
};

bool AcknowledgementScanner::feed(std::string_view bytes) {
    for (char c : bytes) {
        if (lastWasO_ && c == 'k') return true;
        lastWasO_ = c == 'o';
    }
    return false;
}

CommandExchange::CommandExchange(EventSource& events, SerialPort& port, Clock& clock, Power& power,
                                 RunControl& run, LinkState& state, ConnectionView& view)
    : events_(events),
      port_(port),
      clock_(clock),
      power_(power),
      run_(run),
      state_(state),
      view_(view) {}

LineResult CommandExchange::sendLine(std::string_view line, Pace pace) {
    if (!port_.isOpen()) return LineResult::DryRun;
    if (run_.stopRequested()) return LineResult::HeldBack;
    if (state_.watch.halt()) return heldByHalt();
    if (pace == Pace::WithMachine)
        if (const std::optional<LineResult> kept = awaitMachine(line)) return *kept;

    // Left-overs (an "ok" that came after СТОП, the rest of the start-up text) must never be
    // taken for the answer to this line.
    if (!readWaiting()) {
        lose(line);
        return LineResult::Lost;
    }
    if (faulted()) return LineResult::HeldBack;
    if (const std::optional<LineResult> kept = awaitWriteEnd(line)) return *kept;
    power_.keepSystemAwake(true);
    if (port_.write(line) == 0 || port_.deviceGone()) {
        // The write itself failed: the line did not go out.
        lose(line);
        return LineResult::Lost;
    }
    writeStartedMs_ = clock_.nowMs();
    writtenLine_ = line;
    state_.machine.sent(line, clock_.nowMs());
    return awaitAcknowledgement(line);
}

std::optional<LineResult> CommandExchange::awaitWriteEnd(std::string_view line) {
    while (port_.writing()) {
        if (writeStuck()) {
            giveUpWrite(line);
            return LineResult::Lost;
        }
        const Event event = events_.next(static_cast<int>(untilWriteStuckMs()));
        if (run_.take(event) == RunControl::Press::Stop) return LineResult::HeldBack;
        if (removesConnectedPort(event)) {
            lose(line);
            return LineResult::Lost;
        }
    }
    return std::nullopt;
}

LineResult CommandExchange::heldByHalt() {
    run_.stopAll();
    view_.tell("Контроллер остановился с ошибкой «" + port_.decode(*state_.watch.halt()) +
               "» и команд не принимает: ничего не отправлено. Нажмите «Обновить» (или «СБРОС»): "
               "контроллер будет перезапущен, затем выведите станок в исходную точку.");
    return LineResult::HeldBack;
}

std::optional<LineResult> CommandExchange::awaitMachine(std::string_view line) {
    for (;;) {
        const std::int64_t left =
            state_.machine.queuedMs(clock_.nowMs()) - MachinePace::kLookAheadMs;
        if (left <= 0 && !run_.paused()) return std::nullopt;
        power_.keepSystemAwake(true);
        const std::int64_t waitMs = run_.paused() ? kLongestWaitMs : std::min(left, kLongestWaitMs);
        const Event event = events_.next(static_cast<int>(waitMs));
        if (run_.take(event) == RunControl::Press::Stop) return LineResult::HeldBack;
        if (removesConnectedPort(event) || !readWaiting()) {
            lose(line);
            return LineResult::Lost;
        }
        if (faulted()) return LineResult::HeldBack;
    }
}

LineResult CommandExchange::awaitAcknowledgement(std::string_view line) {
    AcknowledgementScanner scanner;
    WaitStatus status(view_, state_.watch, port_, clock_.nowMs());
    char buffer[kReadBufferSize];
    for (;;) {
        const Event event = events_.next(nextWaitMs(status));
        // Once the line is written, the machine may carry it out whatever ends the wait.
        if (run_.take(event) == RunControl::Press::Stop) return LineResult::Sent;
        // Noticed while paused too: the operator must not wait for a machine that is gone.
        if (removesConnectedPort(event) || port_.deviceGone()) return lost(line);
        // A line that did not go out whole is no line: the controller waits for its end.
        if (writeStuck()) {
            giveUpWrite(line);
            return LineResult::Lost;
        }
        if (run_.paused()) {
            status.heard(clock_.nowMs());  // nothing is read: no silence to tell of
            continue;
        }

        const int waiting = port_.bytesWaiting();
        if (port_.deviceGone()) return lost(line);
        if (waiting <= 0) {
            status.quiet(clock_.nowMs());
            continue;
        }
        std::fill(std::begin(buffer), std::end(buffer), '\0');
        const int got = port_.read(buffer, std::min(waiting, kReadBufferSize));
        if (got <= 0) continue;
        const std::string_view received(buffer, static_cast<std::size_t>(got));
        status.heard(clock_.nowMs());
        if (observer_)
            observer_(
                port_.decode(received.substr(0, std::min(received.find('\0'), kReplyTextLimit))));
        take(received);
        // A halted controller answers nothing more; one that restarted has forgotten the line.
        if (faulted()) return LineResult::Sent;
        if (scanner.feed(received)) {
            state_.machine.answered(clock_.nowMs());
            return LineResult::Sent;
        }
    }
}

LineResult CommandExchange::sendMove(std::string_view head, double target, std::string_view tail,
                                     NumberForm form, Pace pace) {
    if (!sendableNumber(target)) {
        // After СТОП nothing goes out anyway, and the operator has already acted.
        if (run_.stopRequested())
            return port_.isOpen() ? LineResult::HeldBack : LineResult::Unsendable;
        view_.tell("Команда «" + std::string(head) + "…» не отправлена: координата " +
                   FormatReal(StoreReal(target)) +
                   " вне допустимого диапазона станка. Проверьте введённые значения.");
        return LineResult::Unsendable;
    }
    std::string line(head);
    line += form == NumberForm::Integer ? FormatInteger(RoundToInt64(target))
                                        : FormatReal(StoreReal(target));
    line += tail;
    return sendLine(line, pace);
}

bool CommandExchange::readWaiting() {
    char buffer[kReadBufferSize];
    for (int waiting = port_.bytesWaiting(); waiting > 0; waiting = port_.bytesWaiting()) {
        const int got = port_.read(buffer, std::min(waiting, kReadBufferSize));
        if (got <= 0) break;
        take(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
    return !port_.deviceGone();
}

void CommandExchange::take(std::string_view bytes) {
    const bool restarted = state_.watch.restarted();
    const bool halted = state_.watch.halt().has_value();
    const std::uint64_t reports = state_.watch.reports();
    state_.watch.feed(bytes);
    // Where the controller says its axes stand is where the machine's next moves start from.
    if (state_.watch.reports() != reports) {
        for (motion::Axis axis : {motion::Axis::Y, motion::Axis::Z, motion::Axis::E})
            state_.machine.declare(axis, state_.watch.lastReport()[axis]);
    }
    // No line of the running operation may go out after a restart, in the old coordinates or in
    // the new, nor after a halt.
    if (!restarted && state_.watch.restarted()) run_.stopAll();
    if (!halted && state_.watch.halt()) {
        run_.stopAll();
        view_.showControllerError(port_.decode(*state_.watch.halt()), port_.lineErrors());
    }
}

bool CommandExchange::lookAtRest() {
    if (!port_.isOpen()) return true;
    // A write that СТОП left going out may still get stuck: told as its line's loss.
    if (writeStuck()) {
        giveUpWrite(writtenLine_);
        return true;
    }
    return readWaiting();
}

int CommandExchange::restWaitMs(int longestMs) {
    if (!port_.isOpen() || !port_.writing()) return longestMs;
    return static_cast<int>(std::clamp<std::int64_t>(untilWriteStuckMs(), 0, longestMs));
}

bool CommandExchange::removesConnectedPort(const Event& event) const {
    return event.kind == EventKind::PortRemoved && event.port == state_.connectedPort;
}

void CommandExchange::lose(std::string_view line) {
    run_.stopAll();
    lost_ = LostLine{std::string(line), false};
}

LineResult CommandExchange::lost(std::string_view line) {
    lose(line);
    // Written whole before the device went: the machine may have carried it out.
    return LineResult::Sent;
}

std::int64_t CommandExchange::untilWriteStuckMs() const {
    return writeStartedMs_ + kWriteStuckMs - clock_.nowMs();
}

bool CommandExchange::writeStuck() {
    return port_.writing() && untilWriteStuckMs() <= 0;
}

void CommandExchange::giveUpWrite(std::string_view line) {
    port_.abandonWrite();
    run_.stopAll();
    lost_ = LostLine{std::string(line), true};
}

int CommandExchange::nextWaitMs(const WaitStatus& status) {
    const std::int64_t now = clock_.nowMs();
    std::int64_t waitMs = std::min(status.untilNextMs(now), kLongestWaitMs);
    if (port_.writing()) waitMs = std::min(waitMs, untilWriteStuckMs());
    return static_cast<int>(std::max<std::int64_t>(waitMs, 0));
}

}  // namespace tarvel
