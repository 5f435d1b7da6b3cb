// The small operations of the main loop that keep the window consistent: focus editing of the
// parameter fields, copies of the common span and turn counts, the section layout.
#pragma once

#include <string>

#include "platform/window.h"
#include "state/section_layout.h"

namespace tarvel {

// A field with focus editing empties itself for typing and gets its text back when it is left
// empty.
class FocusEditing {
  public:
    void gained(Window& window, ControlId id);
    void lost(Window& window, ControlId id);
    const std::string& savedText() const { return saved_; }

  private:
    std::string saved_;
};

void copyPolesToSections(Window& window);
void copyTurnsToSections(Window& window);
// Recomputes slotPitch and sectionCount from the fields and shows that layout; an empty or
// non-positive number of slots changes nothing.
void updateSectionLayout(Window& window, SectionLayout& layout);

}  // namespace tarvel
