// Finding the controller on the COM ports and keeping its connection.
#pragma once

#include <optional>
#include <string_view>

#include "link/connection.h"
#include "link/connection_view.h"
#include "link/link_state.h"
#include "link/step_runner.h"
#include "platform/serial.h"
#include "platform/window.h"

namespace tarvel {

class SerialLink final : public Connection {
  public:
    SerialLink(SerialPort& port, Clock& clock, LinkState& state, StepRunner& steps,
               ConnectionView& view);

    // "Обновить": closes the port, shows "Не подключен", searches from firstPortToTry and, when
    // the controller answers, declares the start position.
    void reconnect() override;
    // Opens COM ports from firstPortToTry up to COM256 and keeps the first that identifies itself.
    void connectController();
    // Declares the present machine position as zero on both sides and enables the manual controls.
    void setStartPosition() override;
    // Closes the port, if one is open (at the end of the program).
    void close();
    // The controller went away during `line`, or while nothing was being sent (a cable pulled),
    // or its device stopped taking the bytes of `line` (stuck): closes the port, shows "Не
    // подключен" (or that the device is stuck), disables the machine controls and tells the
    // operator what may not have been carried out. "Обновить" finds the controller again.
    void connectionLost(std::optional<std::string_view> line, bool stuck);
    // The controller sent its start-up text again: it has restarted (its reset button, a dip of
    // its power) and forgotten its position and its queue. As after a new connection, the
    // position is declared zero on both sides; the winding controls wait for the start position.
    void controllerRestarted();
    // The system reports the device of COMn removed: the connection is lost when it is ours
    // (true then).
    bool portRemoved(int comNumber);

    static constexpr int kLastPort = 256;
    static constexpr int kAnswerWaitMs = 1200;
    // A device that starts to answer gets this long to send the whole identification text.
    static constexpr int kIdentificationWaitMs = 1000;
    // How long a port closed to search again stays closed.
    static constexpr int kDtrLowMs = 500;

  private:
    void closeAndShowNotConnected();
    // Reads the identification text of the open port; false when it did not come whole.
    bool readIdentification(std::string& bytes);
    // The rest of the start-up text may still be coming in, and an "ok" inside it ("look",
    // "token") would answer the first line before the controller does: reads it away until
    // the line has been quiet for 100 ms (for at most a second).
    void drainUntilQuiet();

    SerialPort& port_;
    Clock& clock_;
    LinkState& state_;
    StepRunner& steps_;
    ConnectionView& view_;
};

}  // namespace tarvel
