// The identification check, the acknowledgement scanner and the controller's watch (its start-up
// text again, its "Error:" lines) against plain searches; the reading of G-code words, the motion
// model and the program's pace of the machine on the same bytes taken as lines an operator typed.
//
// Input: bytes of the controller, cut into reads at every byte 0xFF (which is dropped). The
// first read is also examined as a start-up text.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/check.h"
#include "link/command_exchange.h"
#include "link/controller_watch.h"
#include "link/identification.h"
#include "link/machine_pace.h"
#include "motion/motion_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvel;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::string_view examined = bytes.substr(0, std::min<std::size_t>(bytes.find('\0'), 92));
    const std::string_view author = "Tarvel motion firmware - A.V. Korolev";
    const bool identified = examined.find("2021-12-25 | ") != std::string_view::npos ||
                            (examined.size() >= author.size() &&
                             examined.substr(examined.size() - author.size()) == author);
    TARVEL_CHECK(identifiesController(examinedPart(bytes)) == identified, bytes);

    AcknowledgementScanner scanner;
    ControllerWatch watch;
    bool acknowledged = false;
    std::string received;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t end = std::min(bytes.find('\xFF', start), bytes.size());
        const std::string_view read = bytes.substr(start, end - start);
        received += read;
        if (!acknowledged) {
            acknowledged = scanner.feed(read);
            TARVEL_CHECK(acknowledged == (received.find("ok") != std::string::npos), received);
        }
        watch.feed(read);
        TARVEL_CHECK(watch.restarted() == (received.find(kDateMark) != std::string::npos),
                     received);
        if (const auto& halt = watch.halt()) {
            const std::string line = "Error:" + *halt;
            TARVEL_CHECK(received.find(line) != std::string::npos, received);
        }
        if (auto at = watch.takeReport())
            TARVEL_CHECK(received.find("X:") != std::string::npos, received);
        start = end + 1;
    }

    // Whatever a line says, the machine never takes a negative or non-finite time for it, and
    // its limits stay positive; the program's pace of the machine, fed the same lines, agrees
    // with it.
    motion::Machine machine;
    MachinePace pace;
    std::int64_t nowMs = 0;
    for (std::size_t at = 0; at <= bytes.size();) {
        // Both "\r" and "\n" end a line, for the controller as for the program's pace.
        const std::size_t end = std::min(bytes.find_first_of("\r\n", at), bytes.size());
        const std::string_view line = bytes.substr(at, end - at);
        const motion::Effect effect = machine.apply(line);
        TARVEL_CHECK(std::isfinite(effect.seconds) && effect.seconds >= 0, line);
        const motion::Limits& l = machine.limits();
        for (motion::Axis a : {motion::Axis::Y, motion::Axis::Z, motion::Axis::E})
            TARVEL_CHECK(l.maxAcceleration[a] >= motion::kMinAcceleration &&
                             l.maxSpeed[a] >= motion::kMinSpeed,
                         line);
        pace.sent(line, nowMs);
        pace.answered(nowMs);
        TARVEL_CHECK(pace.limits() == machine.limits(), line);
        TARVEL_CHECK(pace.queuedMs(nowMs) >= 0, line);
        nowMs += 7;
        at = end + 1;
    }
    return 0;
}
