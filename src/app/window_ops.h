// The small operations that keep the window consistent: section layout, copies of the common
// pole and turn counts, enabling of the machine controls, section progress.
#pragma once

#include "app/program_state.h"
#include "platform/window.h"

namespace tarvel {

void copyPolesToSections(Window& window);
void copyTurnsToSections(Window& window);
// Shows the section columns, buttons and bars for 1 to 4 sections per slot.
void applySectionLayout(Window& window, int count);
// Recomputes slotPitch and sectionCount from the fields and shows that layout; an empty or
// non-positive number of slots changes nothing.
void updateSectionLayout(Window& window, ProgramState& state);
void disableMachineControls(Window& window);
void enableManualControls(Window& window);
void enableWindingControls(Window& window);
void resetSectionProgress(Window& window);

}  // namespace tarvel
