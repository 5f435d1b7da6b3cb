// What every operation may need of the window: telling the operator something that needs a
// decision before work goes on. The subsystems' own views build on it.
#pragma once

#include <string_view>

namespace tarvel {

class OperatorView {
  public:
    virtual ~OperatorView() = default;
    // Returns once the operator has read it.
    virtual void tell(std::string_view message) = 0;
};

}  // namespace tarvel
