// The connection to the controller as the manual panel uses it.
#pragma once

namespace tarvel {

class Connection {
  public:
    virtual ~Connection() = default;

    // Closes the port, shows "Не подключен", searches the COM ports again and, when the
    // controller answers, declares the start position.
    virtual void reconnect() = 0;
    // Declares the present machine position as zero on both sides and enables the manual
    // controls.
    virtual void setStartPosition() = 0;
};

}  // namespace tarvel
