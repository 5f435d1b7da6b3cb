// The machine window of the practice program, "Станок": the machine as it stands now, not where
// the program has told it to go. The core from its end with its slots, turned as the workpiece
// is, and the guide at its height over it; from the side, the stroke with the guide's length
// position and height; the three positions as numbers; how many moves the controller holds.
#pragma once

#include "controller/queued_controller.h"
#include "platform/picture.h"
#include "practice/practice_port.h"
#include "winding/winding_form.h"

namespace tarvel::practice {

// The core the picture shows: the one the fields describe once they make one, else a neutral
// one.
struct CoreSizes {
    double height = 40, diameter = 50, slotDepth = 10, commutatorDistance = 10;
    int slots = 12;
    bool fromFields = false;
};
CoreSizes coreSizes(const WindingForm& form);

inline constexpr int kPictureWidth = 420, kPictureHeight = 768;

Picture machinePicture(const controller::MachineState& machine, const CoreSizes& core);

class MachineView {
  public:
    MachineView(PracticePort& port, PictureWindow& window, const WindingForm& form);

    // Opens the window; from then on it paints about 30 times a second while the machine moves
    // and not at all while it rests.
    bool open();

  private:
    Picture paint();

    PracticePort& port_;
    PictureWindow& window_;
    const WindingForm& form_;
    bool animating_ = false;
};

}  // namespace tarvel::practice
