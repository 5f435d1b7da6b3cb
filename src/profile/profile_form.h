// What a profile holds of the window: the texts of its parameter fields in the order of a
// profile's lines, and the winding speed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "state/operator_view.h"

namespace tarvel {

class ProfileForm : public virtual OperatorView {
  public:
    // The 44 field texts, in the order of a profile's lines.
    virtual std::vector<std::string> fieldTexts() const = 0;
    virtual void setFieldTexts(const std::vector<std::string>& texts) = 0;
    virtual int windingSpeed() const = 0;
    virtual void setWindingSpeed(int speed) = 0;
    // Under the section table: the profile saved or loaded last.
    virtual void showProfilePath(std::string_view path) = 0;
};

}  // namespace tarvel
