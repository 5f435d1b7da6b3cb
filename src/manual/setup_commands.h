// The set-up commands of the manual panel: zero setting, start position, parking, workpiece
// change, emergency reset and the step to the next slot.
#pragma once

#include "link/connection.h"
#include "link/step_runner.h"
#include "manual/manual_view.h"
#include "state/section_layout.h"
#include "state/tracked_position.h"
#include "winding/winding_form.h"

namespace tarvel {

// The axes of "ДЛИНА 0", "ВЫСОТА 0" and "ПОВОРОТ 0".
enum class ZeroAxis { Length, Height, Rotation };

class SetupCommands {
  public:
    SetupCommands(const WindingForm& form, ManualView& view, StepRunner& steps,
                  Connection& connection, const SectionLayout& layout);

    // "ДЛИНА 0", "ВЫСОТА 0", "ПОВОРОТ 0": the present position of one axis becomes its zero.
    void zeroAxis(ZeroAxis axis);
    // "УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ": declares the zero, enables the winding controls, powers
    // the motors and moves to the start of the stroke at height 15, where the record follows.
    void startPosition();
    // "ПАРКОВКА": homes height and length, which then stand where the controller says; the
    // winding controls wait for the start position.
    void park();
    // "ЗАМЕНА": homes the height, frees the length motor and takes its position as zero; the
    // winding controls wait for the start position.
    void changeWorkpiece();
    // "СБРОС": emergency stop of the controller, then a new search for it.
    void emergencyReset();
    // "ДАЛЕЕ": after a wound section, finishes the turn of the workpiece and, after the last
    // section of the slot, steps it by one slot.
    void nextPosition();

  private:
    const WindingForm& form_;
    ManualView& view_;
    StepRunner& steps_;
    Connection& connection_;
    const SectionLayout& layout_;
};

}  // namespace tarvel
