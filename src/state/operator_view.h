// What every operation may need of the window: telling the operator something that needs a
// decision before work goes on, or asking which way to go on. The subsystems' own views build on
// it.
#pragma once

#include <string_view>

#include "platform/window.h"

namespace tarvel {

class OperatorView {
  public:
    virtual ~OperatorView() = default;
    // Returns once the operator has read it.
    virtual void tell(std::string_view message) = 0;
    // Returns the operator's answer; Enter gives `byDefault`.
    virtual Answer ask(std::string_view question, Choices choices, Answer byDefault) = 0;
};

}  // namespace tarvel
