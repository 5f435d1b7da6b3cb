// The views the subsystems speak to, once, over the main window: the connection's status and
// machine controls, the cycles' bars and buttons, the manual panel's groups, the winding data and
// a profile's fields. Which control shows what is known here and in the control table alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/connection_view.h"
#include "manual/manual_view.h"
#include "platform/window.h"
#include "profile/profile_form.h"
#include "winding/cycle_view.h"
#include "winding/winding_form.h"

namespace tarvel {

class WindowViews final : public ConnectionView,
                          public CycleView,
                          public ManualView,
                          public ProfileForm,
                          public WindingForm {
  public:
    explicit WindowViews(Window& window) : window_(window) {}

    void tell(std::string_view message) override;
    Answer ask(std::string_view question, Choices choices, Answer byDefault) override;

    void showNotConnected() override;
    void showConnected() override;
    void showDeviceGone(std::string_view status, std::string_view message) override;
    void enableManualControls() override;
    void showControllerRestarted(std::string_view message) override;
    void showSilence(std::int64_t seconds, int lineErrors) override;
    void showControllerError(std::string_view line, int lineErrors) override;

    void showCycleProgress(int percent) override;
    void showSectionProgress(int section, int percent) override;
    void enableSectionButtons(bool enabled) override;

    void resetSectionProgress() override;
    void enableWindingControls() override;
    void disableWindingControls() override;
    void disableMachineControls() override;

    std::string text(Parameter parameter) const override;
    std::string sectionTurns(int section) const override;
    int windingSpeed() const override;
    int stakingPower() const override;

    std::vector<std::string> fieldTexts() const override;
    void setFieldTexts(const std::vector<std::string>& texts) override;
    void setWindingSpeed(int speed) override;
    void showProfilePath(std::string_view path) override;

  private:
    Window& window_;
};

// The field of a parameter the cycles read.
ControlId fieldOf(Parameter parameter);
// The parameter a field holds, or none for a field the cycles do not read.
std::optional<Parameter> parameterOf(ControlId field);

}  // namespace tarvel
