// "Отправить": the operator's own G-code, from the command box beside it. Each line goes out on
// its own and waits for its own "ok", as every line of the program does, and the record follows
// what it does to the machine. Lines that would change how the program's own lines are read
// (relative moves, inches, another system of coordinates, ...) or that the controller would cut
// short are refused before anything goes out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/step.h"
#include "link/step_runner.h"
#include "manual/manual_view.h"

namespace tarvel {

// The longest line the controller takes whole: a longer one it would carry out in part.
inline constexpr std::size_t kLongestTypedLine = 95;

// Why a typed line may not go out, in one sentence; none when it may.
std::optional<std::string> typedLineRefusal(std::string_view line);
// What a typed line does to the record: the axes a move or a declaration names take its
// numbers; a homing homes the axes it names (both, when it names none).
RecordEffect typedLineEffect(std::string_view line);

class CommandBox {
  public:
    CommandBox(StepRunner& steps, ManualView& view) : steps_(steps), view_(view) {}

    // Sends the box's lines one after another, empty ones and comments left out; a box with a
    // refused line sends none.
    void send(std::string_view boxText);

  private:
    StepRunner& steps_;
    ManualView& view_;
};

}  // namespace tarvel
