// What the manual panel's operations change in the window besides the readout: the progress
// bars, which a turn of the workpiece makes stale, and the groups of machine controls.
#pragma once

#include "state/operator_view.h"

namespace tarvel {

class ManualView : public virtual OperatorView {
  public:
    virtual void resetSectionProgress() = 0;
    virtual void enableWindingControls() = 0;
    // After a homing: the section buttons, КЕРНЕНИЕ and ДАЛЕЕ wait for the start position.
    virtual void disableWindingControls() = 0;
    virtual void disableMachineControls() = 0;
};

}  // namespace tarvel
