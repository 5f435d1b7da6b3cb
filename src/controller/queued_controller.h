// The controller as it really answers: it takes moves into a queue of 15 and says "ok" as soon
// as a move has its place there, so the machine can be up to 15 moves behind the program. Moves
// are carried out one after the other at the pace of the motion model. G04, G28 and M400 answer
// only when every queued move has ended; an answer held for 2 s brings a "busy" line every 2 s;
// G92 reports the position before its "ok"; M112 is acted on as soon as it is read: the
// controller answers nothing more until it is reset, and the machine moves on for 0.6 s. Plain
// logic over a clock given in microseconds, so it can be tested without a terminal.
#pragma once

#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "motion/motion_model.h"

namespace tarvel::controller {

class ControllerHost {
  public:
    virtual ~ControllerHost() = default;
    virtual void send(std::string_view bytes) = 0;
    // A line of the log, at the moment it happened (which may be a little before now).
    virtual void log(long long atUs, std::string_view text) = 0;
};

// What the board keeps of its machine: the limits its settings hold, and where its switches
// stand (where a homing leaves each axis, in its coordinates).
struct BoardSettings {
    motion::Limits limits;
    motion::Axes home;
};

// What the board sends when it starts: about 960 bytes, the date mark about 75 bytes in, its
// limits among its settings.
std::string queuedControllerStartUpText(const motion::Limits& limits = {});

// Where the machine stands at a moment, as its motion queue has it.
struct MachineState {
    motion::Axes travelled;       // counted from where it stood when it was reset or last homed
    motion::Axes declared;        // in the coordinates the program declared (G92)
    std::size_t queuedMoves = 0;  // the one being carried out among them
    bool moving = false;
    long long restsAtUs = 0;  // when the last move queued ends, or ended
};

class QueuedController {
  public:
    static constexpr long long kNever = std::numeric_limits<long long>::max();

    explicit QueuedController(ControllerHost& host, const BoardSettings& board = {})
        : host_(host), board_(board), machine_(board.limits, board.home) {}

    // The board starts afresh, as it does when its port is opened: the machine stops, the queue
    // is empty, positions are 0 and its own settings hold again.
    void reset(long long nowUs);
    // A line as received (its line end removed); taken once every line before it is answered.
    void receive(std::string line, long long nowUs);
    // Does what is due by `nowUs`: moves that end, held answers that can be given, busy lines,
    // and the lines waiting behind them.
    void advance(long long nowUs);
    // When advance() next has something to do.
    long long nextDueUs() const;

    // What it sends when it starts, its own limits among its settings.
    std::string startUpText() const { return queuedControllerStartUpText(board_.limits); }
    std::size_t queuedMoves() const { return moves_.size(); }
    bool halted() const { return halted_; }
    // The machine at `nowUs`, within the move it carries out then; advance() to it first.
    MachineState state(long long nowUs) const;

  private:
    struct Line {
        std::string text;
        long long receivedUs;
    };
    struct Held {
        motion::Effect effect;
        long long receivedUs;
        long long nextBusyUs;
        bool homingQueued = false;
    };

    void take(const Line& line, long long nowUs);
    // True once the held line could be answered.
    bool release(Held& held, long long nowUs);
    struct Move {
        long long startUs, endUs;
        motion::Effect effect;  // where it goes, and how
    };

    void finishMoves(long long nowUs);
    void queueMove(const motion::Effect& effect, long long receivedUs);
    // Where a move has taken the machine `nowUs`; `stoppedAt` holds it once the motors are off.
    static motion::Axes travelledAt(const Move& move, long long nowUs);
    void logRest(long long atUs, const motion::Axes& travelled, const motion::Axes& offset);
    void answer(long long nowUs);
    // A held line's answer: a homing prints where the axes stand first, as the firmware does.
    void answerHeld(const Held& held, long long nowUs);
    void reportPosition();
    void halt(long long nowUs);
    bool atRest(long long nowUs) const { return moves_.empty() && nowUs >= lastEndUs_; }

    ControllerHost& host_;
    BoardSettings board_;
    motion::Machine machine_;
    std::deque<Move> moves_;          // the first is being carried out
    long long lastEndUs_ = 0;         // when the last move queued ends (or ended)
    long long motorsOffUs_ = kNever;  // after an emergency stop
    // Where the motors stopped the machine short of its moves, until it is reset.
    std::optional<MachineState> stoppedAt_;
    std::deque<Line> input_;
    std::optional<Held> held_;
    bool halted_ = false;
};

}  // namespace tarvel::controller
