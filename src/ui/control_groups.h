// What the program does to whole groups of controls: the section layout, the enabling of the
// machine controls, the reset of the section progress bars.
#pragma once

#include "platform/window.h"

namespace tarvel {

// Shows the section columns, buttons and bars for 1 to 4 sections per slot.
void applySectionLayout(Window& window, int count);
void disableMachineControls(Window& window);
void enableManualControls(Window& window);
void enableWindingControls(Window& window);
void disableWindingControls(Window& window);
void setSectionButtonsEnabled(Window& window, bool enabled);
void resetSectionProgress(Window& window);

}  // namespace tarvel
