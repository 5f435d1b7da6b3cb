// The set-up commands of the manual panel.
#pragma once

#include "link/command_exchange.h"
#include "link/serial_link.h"
#include "platform/window.h"

namespace tarvel {

class SetupCommands {
  public:
    SetupCommands(Window& window, CommandExchange& exchange, SerialLink& link);

    // "УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ": declares the zero, enables the winding controls, powers
    // the motors and moves to the start of the stroke at height 15.
    void startPosition();

  private:
    Window& window_;
    CommandExchange& exchange_;
    SerialLink& link_;
};

}  // namespace tarvel
