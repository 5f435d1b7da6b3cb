#include "link/command_exchange.h"

#include <algorithm>

#include "motion/motion_model.h"
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

void CommandExchange::sendLine(std::string_view line) {
    if (!port_.isOpen()) return;
    if (run_.stopRequested()) return;

    // Left-overs (an "ok" that came after СТОП, the rest of the start-up text) must never be
    // taken for the answer to this line.
    drainInput();
    power_.keepSystemAwake(true);
    port_.write(line);
    noteControllerSettings(line);
    if (port_.deviceGone()) return lose(line);

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
        if (scanner.feed(received)) return;
    }
}

bool CommandExchange::sendMove(std::string_view head, double target, std::string_view tail,
                               NumberForm form) {
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
    sendLine(line);
    return true;
}

bool CommandExchange::sending() const {
    return port_.isOpen() && !run_.stopRequested();
}

void CommandExchange::sendOperatorCommand(std::string_view boxText) {
    sendLine(std::string(boxText) + "\r\n");
}

void CommandExchange::noteControllerSettings(std::string_view text) {
    if (text.find("201") == std::string_view::npos) return;  // no M201 in it: most lines
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        if (auto a = motion::accelerationYSetBy(text.substr(start, end - start)))
            state_.controllerAccelerationY = *a;
        start = end + 1;
    }
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
