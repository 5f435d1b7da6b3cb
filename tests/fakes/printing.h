// How a control reads in a test's message: by its name and number.
#pragma once

#include <ostream>

#include "ui/control_table.h"

namespace tarvel {

inline std::ostream& operator<<(std::ostream& out, ControlId id) {
    if (!kEveryControl.contains(id)) return out << "no control";
    return out << specOf(id).name << " (" << id.number() << ")";
}

}  // namespace tarvel
