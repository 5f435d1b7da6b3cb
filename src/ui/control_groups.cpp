#include "ui/control_groups.h"

#include "ui/control_table.h"

namespace tarvel {

void applySectionLayout(Window& window, int count) {
    for (int k = 1; k <= kSections; ++k) {
        // With one section the common fields alone describe it, so no column is shown.
        const bool columnShown = count >= 2 && k <= count;
        for (ControlId id : sectionColumn(k))
            window.show(id, columnShown);
        if (k >= 2) {
            window.show(ctl::sectionButton(k), k <= count);
            window.show(ctl::sectionBar(k), k <= count);
        }
    }
}

void disableMachineControls(Window& window) {
    for (ControlId id : machineControls())
        window.enable(id, false);
}

void enableManualControls(Window& window) {
    for (ControlId id : manualControls())
        window.enable(id, true);
}

void enableWindingControls(Window& window) {
    for (ControlId id : windingControls())
        window.enable(id, true);
}

void disableWindingControls(Window& window) {
    for (ControlId id : windingControls())
        window.enable(id, false);
}

void setSectionButtonsEnabled(Window& window, bool enabled) {
    for (ControlId id : ctl::kSectionButtons)
        window.enable(id, enabled);
}

void resetSectionProgress(Window& window) {
    for (ControlId id : ctl::kSectionBars)
        window.setState(id, 0);
}

}  // namespace tarvel
