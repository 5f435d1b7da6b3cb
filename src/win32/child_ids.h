// The Windows id of a control of the main window: its number over a base, so that no control's
// id is one the system gives a meaning (IDOK is 1, IDCANCEL 2). The window, its tests and the
// end-to-end tests' probe all count from here.
#pragma once

#include <optional>

#include "platform/window.h"

namespace tarvel::win32 {

constexpr int kChildIdBase = 100;

constexpr int childId(ControlId id) {
    return kChildIdBase + id.number();
}

// The control of a Windows id, when the id can be one (the caller checks the window has it).
constexpr std::optional<ControlId> controlOfChildId(int id) {
    if (id < kChildIdBase) return std::nullopt;
    return ControlId(id - kChildIdBase);
}

}  // namespace tarvel::win32
