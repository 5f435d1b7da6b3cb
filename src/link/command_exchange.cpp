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
// The longest single wait for the machine: the controller's input is looked at between two.
constexpr int kMachineWaitMs = 250;

}  // namespace

bool AcknowledgementScanner::feed(std::string_view bytes) {
    for (char c : bytes) {
        if (lastWasO_ && c == 'k') return true;
        lastWasO_ = c == 'o';
    }
    return false;
}

CommandExchange::CommandExchange(EventSource& events, SerialPort& port, Clock& clock, Power& power,
                                 RunControl& run, LinkState& state, OperatorView& view)
    : events_(events),
      port_(port),
      clock_(clock),
      power_(power),
      run_(run),
      state_(state),
      view_(view) {}

bool CommandExchange::sendLine(std::string_view line, Pace pace) {
    if (!port_.isOpen()) return true;
    if (run_.stopRequested()) return false;
    if (pace == Pace::WithMachine && !awaitMachine(line)) return false;

    // Left-overs (an "ok" that came after СТОП, the rest of the start-up text) must never be
    // taken for the answer to this line.
    drainInput();
    power_.keepSystemAwake(true);
    port_.write(line);
    if (port_.deviceGone()) {
        // The write itself failed: the line did not go out.
        lose(line);
        return false;
    }
    state_.machine.sent(line, clock_.nowMs());
    awaitAcknowledgement(line);
    return true;
}

bool CommandExchange::awaitMachine(std::string_view line) {
    for (;;) {
        const std::int64_t left =
            state_.machine.queuedMs(clock_.nowMs()) - MachinePace::kLookAheadMs;
        if (left <= 0 && !run_.paused()) return true;
        power_.keepSystemAwake(true);
        const int waitMs = run_.paused()
                               ? kMachineWaitMs
                               : static_cast<int>(std::min<std::int64_t>(left, kMachineWaitMs));
        const Event event = events_.next(waitMs);
        if (run_.take(event) == RunControl::Press::Stop) return false;
        if (removesConnectedPort(event)) {
            lose(line);
            return false;
        }
    }
}

void CommandExchange::awaitAcknowledgement(std::string_view line) {
    AcknowledgementScanner scanner;
    const std::int64_t writtenAt = clock_.nowMs();
    char buffer[kReadBufferSize];
    for (;;) {
        const Event event = events_.next(nextWaitMs(clock_.nowMs() - writtenAt));
        if (run_.take(event) == RunControl::Press::Stop) return;
        // Noticed while paused too: the operator must not wait for a machine that is gone.
        if (removesConnectedPort(event) || port_.deviceGone()) return lose(line);
        if (run_.paused()) continue;

        const int waiting = port_.bytesWaiting();
        if (port_.deviceGone()) return lose(line);
        if (waiting <= 0) continue;
        std::fill(std::begin(buffer), std::end(buffer), '\0');
        const int got = port_.read(buffer, std::min(waiting, kReadBufferSize));
        if (got <= 0) continue;
        const std::string_view received(buffer, static_cast<std::size_t>(got));
        if (observer_)
            observer_(
                port_.decode(received.substr(0, std::min(received.find('\0'), kReplyTextLimit))));
        if (scanner.feed(received)) {
            state_.machine.answered(clock_.nowMs());
            return;
        }
    }
}

bool CommandExchange::sendMove(std::string_view head, double target, std::string_view tail,
                               NumberForm form, Pace pace) {
    if (!sendableNumber(target)) {
        // After СТОП nothing goes out anyway, and the operator has already acted.
        if (!run_.stopRequested()) {
            view_.tell("Команда «" + std::string(head) + "…» не отправлена: координата " +
                       FormatReal(StoreReal(target)) +
                       " вне допустимого диапазона станка. Проверьте введённые значения.");
        }
        return false;
    }
    std::string line(head);
    line += form == NumberForm::Integer ? FormatInteger(RoundToInt64(target))
                                        : FormatReal(StoreReal(target));
    line += tail;
    return sendLine(line, pace);
}

bool CommandExchange::sending() const {
    return port_.isOpen() && !run_.stopRequested();
}

bool CommandExchange::stopped() const {
    return port_.isOpen() && run_.stopRequested();
}

void CommandExchange::sendOperatorCommand(std::string_view boxText) {
    sendLine(std::string(boxText) + "\r\n");
}

void CommandExchange::drainInput() {
    char buffer[kReadBufferSize];
    for (int waiting = port_.bytesWaiting(); waiting > 0; waiting = port_.bytesWaiting()) {
        if (port_.read(buffer, std::min(waiting, kReadBufferSize)) <= 0) return;
    }
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
