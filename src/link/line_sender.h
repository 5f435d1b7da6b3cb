// The one way the operations reach the controller: a line at a time, each acknowledged before
// the next is written. The winding cycles and the manual panel know only this.
#pragma once

#include <optional>
#include <string_view>

#include "motion/motion_model.h"
#include "numtext/reals.h"

namespace tarvel {

// How a move's number is written: the integer text form (every move but one), or the real
// text form (the rotation of the staking cycle).
enum class NumberForm { Integer, Real };

// When a line may go out: as soon as the controller has answered the line before it (a click on
// a manual button is one move, sent at once), or, for the lines of a cycle, only once the machine
// has little motion left to carry out, so that СТОП stops the machine soon and not 15 moves later.
enum class Pace { AtOnce, WithMachine };

// What became of a line handed to the sender.
enum class LineResult {
    // Written whole: the controller has it. Its "ok" came, or СТОП or a fault of the controller
    // ended the wait for it (then nothing more of the operation goes out).
    Sent,
    // No port is open: a dry run, in which every operation goes on as if its lines had gone out.
    DryRun,
    // Not written: СТОП, or a fault of the controller (a restart, a halt), ended the operation
    // before it.
    HeldBack,
    // Not written: its number is one the controller cannot take. The operator has been told; the
    // operation may go on without it.
    Unsendable,
    // Not written, or not whole: the controller's device is gone.
    Lost,
};

// The line stands for the machine: the record follows it.
constexpr bool counts(LineResult result) {
    return result == LineResult::Sent || result == LineResult::DryRun;
}
// Nothing more of the running operation goes out.
constexpr bool endsOperation(LineResult result) {
    return result == LineResult::HeldBack || result == LineResult::Lost;
}

class LineSender {
  public:
    virtual ~LineSender() = default;

    // Sends one line ("\r\n" included) and returns once the controller has acknowledged it or
    // the wait for it has been ended.
    virtual LineResult sendLine(std::string_view line, Pace pace = Pace::AtOnce) = 0;

    // Sends head + target + tail, the target as a whole number (nearest, halves to the even
    // neighbour) or in the real text form. A target the controller cannot take as a number is
    // not sent and the operator is told. Every move goes through here.
    virtual LineResult sendMove(std::string_view head, double target, std::string_view tail,
                                NumberForm form = NumberForm::Integer,
                                Pace pace = Pace::AtOnce) = 0;

    // Where the controller last said its axes stand (the line it prints at the end of a homing
    // and for M114), once, since the last call.
    virtual std::optional<motion::Axes> takeReport() = 0;
};

// True when a target reaches the controller as the number it is: finite, and its nearest
// integer within the signed 32-bit range. -2147483648 is out as well: it is what a failed
// rounding gives, so on the wire it could never be told from one.
inline bool sendableNumber(double value) {
    if (!std::isfinite(value)) return false;
    const std::int64_t nearest = RoundToInt64(value);
    return nearest >= -2147483647LL && nearest <= 2147483647LL;
}

}  // namespace tarvel
