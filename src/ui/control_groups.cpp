#include "ui/control_groups.h"

#include "ui/control_table.h"

namespace tarvel {

void applySectionLayout(Window& window, int count) {
    for (int k = 1; k <= 4; ++k) {
        // With one section the common fields alone describe it, so no column is shown.
        const bool columnShown = count >= 2 && k <= count;
        for (ControlId id : sectionColumn(k))
            window.show(id, columnShown);
        if (k >= 2) {
            window.show(ctl::kSection1 + k - 1, k <= count);
            window.show(ctl::kSectionProgress1 + k - 1, k <= count);
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

void setSectionButtonsEnabled(Window& window, bool enabled) {
    for (int k = 0; k < 4; ++k)
        window.enable(ctl::kSection1 + k, enabled);
}

void resetSectionProgress(Window& window) {
    for (int k = 0; k < 4; ++k)
        window.setState(ctl::kSectionProgress1 + k, 0);
}

}  // namespace tarvel
