#include "link/serial_link.h"

#include <algorithm>

#include "link/identification.h"
#include "numtext/numtext.h"

namespace tarvel {
namespace {

constexpr int kPollMs = 10;
constexpr int kQuietPollMs = 2;
// The start-up text has ended when the line has been quiet this long. A board still starting up
// pauses between its lines (some 30 ms), and on a busy PC such a pause stretches: a line sent
// into the rest of the text would take an "ok" within its words ("look", "token") for its answer.
constexpr std::int64_t kQuietMs = 100;
constexpr std::int64_t kQuietLimitMs = 1000;

}  // namespace

SerialLink::SerialLink(SerialPort& port, Clock& clock, LinkState& state, StepRunner& steps,
                       ConnectionView& view)
    : port_(port), clock_(clock), state_(state), steps_(steps), view_(view) {}

void SerialLink::reconnect() {
    const bool wasOpen = port_.isOpen();
    closeAndShowNotConnected();
    // DTR falls with the close and rises with the next open, which resets the board: a board (or
    // a USB adapter) that sees only a blink of it would not restart, and so would not identify.
    if (wasOpen) clock_.sleep(kDtrLowMs);
    connectController();
    if (port_.isOpen()) setStartPosition();
}

void SerialLink::closeAndShowNotConnected() {
    close();
    view_.showNotConnected();
}

void SerialLink::connectionLost(std::optional<std::string_view> line, bool stuck) {
    const std::string reason = port_.failure();
    const int lineErrors = port_.lineErrors();
    const std::string port = "COM" + FormatInteger(state_.connectedPort);
    close();
    const std::string shown =
        line ? "«" + std::string(line->substr(0, line->find_last_not_of("\r\n") + 1)) + "»" : "";
    std::string message;
    if (stuck) {
        message = "Устройство порта " + port +
                  " перестало принимать данные (завис адаптер USB или контроллер): строка " +
                  shown +
                  " ушла не вся, больше ничего не отправлено, порт закрыт. Движения, принятые "
                  "контроллером до неё, могли не выполниться. Проверьте положение станка, "
                  "отключите и снова подключите кабель контроллера и нажмите «Обновить».";
    } else {
        message = "Связь с контроллером станка потеряна: кабель отключён или контроллер выключен. ";
        message += line ? "Строка " + shown +
                              " могла не выполниться, как и движения, принятые контроллером до неё."
                        : "Программа в это время ничего не отправляла, но движения, уже принятые "
                          "контроллером, могли не выполниться.";
        message += " Проверьте положение станка, подключите контроллер и нажмите «Обновить».";
    }
    // A noisy line, and the system's own words, last: for whoever looks into why.
    if (lineErrors > 0)
        message += " Ошибок линии с подключения: " + FormatInteger(lineErrors) + ".";
    if (!reason.empty()) message += " Система сообщает: «" + reason + "».";
    view_.showDeviceGone(stuck ? port + " не принимает данные" : "Не подключен", message);
}

void SerialLink::controllerRestarted() {
    state_.boardStarted();
    if (!port_.isOpen()) return;
    drainUntilQuiet();
    setStartPosition();
    view_.showControllerRestarted(
        "Контроллер перезапустился (сброс или провал питания). Станок остановлен; положение, "
        "известное программе, потеряно. Выведите станок в исходную точку и нажмите «УСТАНОВИТЬ "
        "НАЧАЛЬНУЮ ПОЗИЦИЮ».");
}

bool SerialLink::portRemoved(int comNumber) {
    if (!port_.isOpen() || comNumber != state_.connectedPort) return false;
    connectionLost(std::nullopt, false);
    return true;
}

void SerialLink::connectController() {
    for (int n = state_.firstPortToTry; n <= kLastPort; ++n) {
        if (!port_.open("COM" + FormatInteger(n))) continue;  // missing or held by another program
        clock_.sleep(kAnswerWaitMs);
        std::string bytes;
        if (!readIdentification(bytes)) {
            port_.close();
            state_.firstPortToTry = 1;
            continue;
        }
        if (identifiesController(port_.decode(examinedPart(bytes)))) {
            view_.showConnected();
            state_.firstPortToTry = n;
            state_.connectedPort = n;
            // Opening the port reset the board.
            state_.boardStarted();
            state_.watch.startUp(bytes);
            drainUntilQuiet();
            return;
        }
        port_.close();
        state_.firstPortToTry = 1;
        clock_.sleep(1);
    }
}

bool SerialLink::readIdentification(std::string& bytes) {
    if (port_.bytesWaiting() <= 0) return false;
    // A read returns only when every byte asked for is there: ask only once they are, so a
    // device that stops short cannot hold the search.
    const std::int64_t start = clock_.nowMs();
    while (port_.bytesWaiting() < kIdentificationBytes) {
        if (clock_.nowMs() - start >= kIdentificationWaitMs) return false;
        clock_.sleep(kPollMs);
    }
    bytes.assign(kIdentificationBytes, '\0');
    return port_.read(bytes.data(), kIdentificationBytes) == kIdentificationBytes;
}

void SerialLink::drainUntilQuiet() {
    const std::int64_t start = clock_.nowMs();
    std::int64_t lastByte = start;
    char buffer[kIdentificationBytes];
    while (clock_.nowMs() - lastByte < kQuietMs && clock_.nowMs() - start < kQuietLimitMs) {
        const int waiting = port_.bytesWaiting();
        if (waiting <= 0) {
            clock_.sleep(kQuietPollMs);
            continue;
        }
        const int got = port_.read(buffer, std::min(waiting, kIdentificationBytes));
        if (got <= 0) break;
        // Its settings are read: the pace of the machine follows them.
        state_.watch.startUp(std::string_view(buffer, static_cast<std::size_t>(got)));
        lastByte = clock_.nowMs();
    }
    state_.takeSettings();
}

void SerialLink::setStartPosition() {
    // Zero even when the line is held back (СТОП let the search after СБРОС go on): opening the
    // port has reset the board, whose own count starts at 0 where the machine stands.
    steps_.declare({});
    steps_.run(lineStep("G92 X0 Y0 Z0 E0\r\n", {.height = 0, .length = 0, .rotation = 0}));
    view_.enableManualControls();
}

void SerialLink::close() {
    if (port_.isOpen()) port_.close();
    state_.connectedPort = 0;
}

}  // namespace tarvel
