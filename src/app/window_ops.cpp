#include "app/window_ops.h"

#include <string>

#include "ui/control_groups.h"
#include "ui/control_table.h"
#include "winding/section_count.h"

namespace tarvel {
namespace {

void copyToSections(Window& window, ControlId source, SectionRow row) {
    const std::string text = window.text(source);
    for (int k = 1; k <= kSections; ++k)
        window.setText(sectionField(row, k), text);
}

}  // namespace

void FocusEditing::gained(Window& window, ControlId id) {
    saved_ = window.text(id);
    window.setText(id, "");
}

void FocusEditing::lost(Window& window, ControlId id) {
    if (window.text(id).empty()) window.setText(id, saved_);
}

void copyPolesToSections(Window& window) {
    copyToSections(window, ctl::kPoles, SectionRow::Span);
}

void copyTurnsToSections(Window& window) {
    copyToSections(window, ctl::kTurns, SectionRow::Turns);
}

void updateSectionLayout(Window& window, SectionLayout& layout) {
    const auto rule = sectionCountRule(window.text(ctl::kSlotCount), window.text(ctl::kBarCount));
    if (!rule) return;
    layout.slotPitch = rule->slotPitch;
    layout.sectionCount = rule->sectionCount;
    applySectionLayout(window, layout.sectionCount);
}

}  // namespace tarvel
