#include "app/window_ops.h"

#include <string>

#include "ui/control_groups.h"
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

void fieldFocusGained(Window& window, ProgramState& state, ControlId id) {
    state.savedFieldText = window.text(id);
    window.setText(id, "");
}

void fieldFocusLost(Window& window, ProgramState& state, ControlId id) {
    if (window.text(id).empty()) window.setText(id, state.savedFieldText);
}

void copyPolesToSections(Window& window) {
    copyToSections(window, ctl::kPoles, 22);
}

void copyTurnsToSections(Window& window) {
    copyToSections(window, ctl::kTurns, 23);
}

void updateSectionLayout(Window& window, ProgramState& state) {
    const auto rule = sectionCountRule(window.text(ctl::kSlotCount), window.text(ctl::kBarCount));
    if (!rule) return;
    state.slotPitch = rule->slotPitch;
    state.sectionCount = rule->sectionCount;
    applySectionLayout(window, state.sectionCount);
}

}  // namespace tarvel
