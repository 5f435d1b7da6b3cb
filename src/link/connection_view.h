// What the window shows of the connection: the status label and the machine controls, which are
// usable only while a controller is connected.
#pragma once

#include <cstdint>
#include <string_view>

#include "state/operator_view.h"

namespace tarvel {

class ConnectionView : public virtual OperatorView {
  public:
    // "Не подключен" in red; the machine controls are greyed.
    virtual void showNotConnected() = 0;
    // "Подключен" in green.
    virtual void showConnected() = 0;
    // The controller went away: as not connected, with `status` in red ("Не подключен", or
    // what became of the device), and the operator is told what may not have been carried out.
    virtual void showDeviceGone(std::string_view status, std::string_view message) = 0;
    // The start position is declared: the manual controls may be used.
    virtual void enableManualControls() = 0;
    // The controller restarted: the winding controls are greyed until the start position is
    // declared again, and the operator is told.
    virtual void showControllerRestarted(std::string_view message) = 0;
    // While a line waits: the controller silent for so many whole seconds, or the "Error:" line
    // it sent (in red, until the wait ends: then "Подключен" again); each with the errors the
    // line has had since the port was opened, so a noisy cable tells itself from a silent
    // controller.
    virtual void showSilence(std::int64_t seconds, int lineErrors) = 0;
    virtual void showControllerError(std::string_view line, int lineErrors) = 0;
};

}  // namespace tarvel
