#include "link/command_exchange.h"

#include <algorithm>

#include "numtext/reals.h"

namespace tarvel {
namespace {

constexpr int kReadBufferSize = 200;
constexpr std::size_t kReplyTextLimit = 92;
// An answer within the first milliseconds is caught by polling without sleeping; later ones
// within 1, 2 and then 4 ms of their arrival, so a controller busy with a long move costs little.
constexpr std::int64_t kSpinMs = 2;
constexpr std::int64_t kShortWaitMs = 10;
constexpr std::int64_t kMediumWaitMs = 50;
// The longest single event wait while a line of a cycle waits for the machine: what the
// controller sends is read between two.
constexpr int kMachineWaitMs = 250;
constexpr std::int64_t kRestLookMs = 100;
// A live controller sends "busy" lines every 2 s while it holds an answer back: longer silence
// in a wait is shown.
constexpr std::int64_t kSilenceShownMs = 5000;

// What the status label says while a line waits for its answer: "Нет ответа N с" while the
// controller has been silent for 5 s; "Подключен" again once a byte comes or the wait ends. A
// halt, which the exchange shows itself, stays.
class WaitStatus {
  public:
    WaitStatus(ConnectionView& view, const ControllerWatch& watch, std::int64_t nowMs)
        : view_(view), watch_(watch), lastByteMs_(nowMs) {}
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
        view_.showSilence(shownSeconds_);
    }

  private:
    ConnectionView& view_;
    const ControllerWatch& watch_;
    std::int64_t lastByteMs_;
    std::int64_t shownSeconds_ = 0;
    bool shown_ = false;
};

}  // namespace

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
    power_.keepSystemAwake(true);
    port_.write(line);
    if (port_.deviceGone()) {
        // The write itself failed: the line did not go out.
        lose(line);
        return LineResult::Lost;
    }
    state_.machine.sent(line, clock_.nowMs());
    awaitAcknowledgement(line);
    return LineResult::Sent;
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
        const int waitMs = run_.paused()
                               ? kMachineWaitMs
                               : static_cast<int>(std::min<std::int64_t>(left, kMachineWaitMs));
        const Event event = events_.next(waitMs);
        if (run_.take(event) == RunControl::Press::Stop) return LineResult::HeldBack;
        if (removesConnectedPort(event) || !readWaiting()) {
            lose(line);
            return LineResult::Lost;
        }
        if (faulted()) return LineResult::HeldBack;
    }
}

void CommandExchange::awaitAcknowledgement(std::string_view line) {
    AcknowledgementScanner scanner;
    WaitStatus status(view_, state_.watch, clock_.nowMs());
    const std::int64_t writtenAt = clock_.nowMs();
    char buffer[kReadBufferSize];
    for (;;) {
        const Event event = events_.next(nextWaitMs(clock_.nowMs() - writtenAt));
        if (run_.take(event) == RunControl::Press::Stop) return;
        // Noticed while paused too: the operator must not wait for a machine that is gone.
        if (removesConnectedPort(event) || port_.deviceGone()) return lose(line);
        if (run_.paused()) {
            status.heard(clock_.nowMs());  // nothing is read: no silence to tell of
            continue;
        }

        const int waiting = port_.bytesWaiting();
        if (port_.deviceGone()) return lose(line);
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
        if (faulted()) return;
        if (scanner.feed(received)) {
            state_.machine.answered(clock_.nowMs());
            return;
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
        view_.showControllerError(port_.decode(*state_.watch.halt()));
    }
}

bool CommandExchange::lookAtRest() {
    const std::int64_t now = clock_.nowMs();
    if (!port_.isOpen() || now - lookedAtRestMs_ < kRestLookMs) return true;
    lookedAtRestMs_ = now;
    return readWaiting();
}

bool CommandExchange::removesConnectedPort(const Event& event) const {
    return event.kind == EventKind::PortRemoved && event.port == state_.connectedPort;
}

void CommandExchange::lose(std::string_view line) {
    run_.stopAll();
    lostLine_ = std::string(line);
}

int CommandExchange::nextWaitMs(std::int64_t waitedMs) const {
    if (waitedMs < kSpinMs) return 0;
    if (waitedMs < kShortWaitMs) return 1;
    return waitedMs < kMediumWaitMs ? 2 : 4;
}

}  // namespace tarvel
