// The one way the operations reach the controller: a line at a time, each acknowledged before
// the next is written. The winding cycles and the manual panel know only this.
#pragma once

#include <string_view>

#include "numtext/reals.h"

namespace tarvel {

// How a move's number is written: the integer text form (every move but one), or the real
// text form (the rotation of the staking cycle).
enum class NumberForm { Integer, Real };

// When a line may go out: as soon as the controller has answered the line before it (a click on
// a manual button is one move, sent at once), or, for the lines of a cycle, only once the machine
// has little motion left to carry out, so that СТОП stops the machine soon and not 15 moves later.
enum class Pace { AtOnce, WithMachine };

class LineSender {
  public:
    virtual ~LineSender() = default;

    // Sends one line ("\r\n" included) and returns once the controller has acknowledged it or
    // the operator has pressed СТОП. True when the line counts: it went out, or no port is open
    // (a dry run, in which every operation goes on as if its lines had gone out). False when it
    // was held back, because СТОП or a controller found gone ended the operation: such a line
    // must change nothing that stands for the machine.
    virtual bool sendLine(std::string_view line, Pace pace = Pace::AtOnce) = 0;

    // Sends head + target + tail, the target as a whole number (nearest, halves to the even
    // neighbour) or in the real text form. A target the controller cannot take as a number is
    // not sent and the operator is told; false then, as for a line held back. Every move goes
    // through here.
    virtual bool sendMove(std::string_view head, double target, std::string_view tail,
                          NumberForm form = NumberForm::Integer, Pace pace = Pace::AtOnce) = 0;

    // False once no line of the running operation can go out any more (no port open, or the
    // operation stopped): the operation can then take its last state at once instead of counting
    // through lines that would all be skipped.
    virtual bool sending() const = 0;
    // True once СТОП, or a controller found gone, has ended the running operation while a port
    // is open: its lines are held back from then on.
    virtual bool stopped() const = 0;
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
