// What a cycle shows while it runs: its progress in the long bar and in the bar above its section
// button, and the section buttons, which no second cycle may be started from meanwhile.
#pragma once

#include "state/operator_view.h"

namespace tarvel {

class CycleView : public virtual OperatorView {
  public:
    virtual void showCycleProgress(int percent) = 0;
    virtual void showSectionProgress(int section, int percent) = 0;
    virtual void enableSectionButtons(bool enabled) = 0;
};

}  // namespace tarvel
