#include "app/window_ops.h"

#include <string>

#include "ui/control_table.h"
#include "winding/section_count.h"

namespace tarvel {
namespace {

void copyToSections(Window& window, ControlId source, ControlId firstTarget) {
    const std::string text = window.text(source);
    for (int k = 0; k < 4; ++k)
        window.setText(firstTarget + 2 * k, text);
}

}  // namespace

void copyPolesToSections(Window& window) {
    copyToSections(window, ctl::kPoles, 22);
}

void copyTurnsToSections(Window& window) {
    copyToSections(window, ctl::kTurns, 23);
}

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

void updateSectionLayout(Window& window, ProgramState& state) {
    const auto rule = sectionCountRule(window.text(ctl::kSlotCount), window.text(ctl::kBarCount));
    if (!rule) return;
    state.slotPitch = rule->slotPitch;
    state.sectionCount = rule->sectionCount;
    applySectionLayout(window, state.sectionCount);
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

void resetSectionProgress(Window& window) {
    for (int k = 0; k < 4; ++k)
        window.setState(ctl::kSectionProgress1 + k, 0);
}

}  // namespace tarvel
