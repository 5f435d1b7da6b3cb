// The small operations of the main loop that keep the window consistent: focus editing of the
// parameter fields, copies of the common pole and turn counts, the section layout.
#pragma once

#include "platform/window.h"
#include "state/program_state.h"

namespace tarvel {

// A field with focus editing empties itself for typing and gets its text back when it is left
// empty.
void fieldFocusGained(Window& window, ProgramState& state, ControlId id);
void fieldFocusLost(Window& window, ProgramState& state, ControlId id);
void copyPolesToSections(Window& window);
void copyTurnsToSections(Window& window);
// Recomputes slotPitch and sectionCount from the fields and shows that layout; an empty or
// non-positive number of slots changes nothing.
void updateSectionLayout(Window& window, ProgramState& state);

}  // namespace tarvel
