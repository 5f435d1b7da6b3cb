// Jogging: one axis moved by a fixed step from a key or a jog button, and the workpiece turned
// to a fixed angle or by one slot. The program never asks the controller where it stands: it
// moves its own record of the position and sends the absolute target.
#pragma once

#include <span>

#include "link/line_sender.h"
#include "motion/motion_model.h"
#include "platform/window.h"
#include "state/program_state.h"

namespace tarvel {

struct JogAxis {
    float TrackedPosition::*field;
    motion::Axis axis;
    const char* head;  // the move up to its number, e.g. "G0 Z"
    int feed;          // units/min; the line ends "F" + feed + "\r\n" (no space before the word)
};

// A key (its virtual-key code) or a jog button (its control number) and its step.
struct JogRow {
    int input;
    const JogAxis* axis;
    float step;
};

// A rotation button: an absolute angle, or one slot pitch forward (+1) or back (-1).
struct RotationRow {
    ControlId control;
    float angle;
    int slots;
};

std::span<const JogRow> keyJogs();
std::span<const JogRow> buttonJogs();
std::span<const RotationRow> rotationButtons();

// The row of a key or button, or null when it has none.
const JogRow* findJog(std::span<const JogRow> rows, int input);
const RotationRow* findRotation(ControlId id);

class Jogging {
  public:
    Jogging(Window& window, LineSender& sender, ProgramState& state);

    // The tracked position moves first and keeps its fraction; the line carries the nearest
    // whole number. With no controller, or after СТОП, only the tracked position moves.
    // Returns how long the machine takes for the move sent, 0 when none went out.
    double jog(const JogRow& row);
    // Resets the section progress bars, then turns the workpiece.
    void rotate(const RotationRow& row);

  private:
    Window& window_;
    LineSender& sender_;
    ProgramState& state_;
};

}  // namespace tarvel
