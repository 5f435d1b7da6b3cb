// The one serial port slot through which the program talks to the motion controller.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvel {

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the named port ("COM3") at 115200 baud, 8 data bits, no parity, one stop bit, no
    // handshake. False when the port cannot be opened or configured; the slot is then free.
    virtual bool open(std::string_view name) = 0;
    virtual bool isOpen() const = 0;
    // Bytes in the receive queue; 0 when no port is open or the query fails.
    virtual int bytesWaiting() = 0;
    // Reads up to `count` bytes of those that have arrived, at once: the number read, 0 on
    // failure, when none has arrived or when no port is open. It never waits for more.
    virtual int read(char* buffer, int count) = 0;
    // Writes UTF-8 text converted to the line's code page, every byte of it: a device that takes
    // nothing more within the write time-out is gone (deviceGone() then), and the rest is not
    // sent. The number of bytes written.
    virtual int write(std::string_view text) = 0;
    virtual void close() = 0;
    // True once a call on the open port failed because its device is no longer there (a cable
    // pulled, the controller switched off); errors on the line itself (framing, overrun) are
    // not that. The port stays open until it is closed.
    virtual bool deviceGone() const = 0;
    // The system's words for the last call that failed (opening or setting up a port, or a call
    // that found its device gone); empty when it gave none.
    virtual std::string failure() const = 0;
    // Text of bytes received on the line, as UTF-8.
    virtual std::string decode(std::string_view bytes) const = 0;
};

// n of a port named "COMn" (1 to 256), in any case, as the system names the port of a removed
// device; none for any other name.
inline std::optional<int> comPortNumber(std::string_view name) {
    if (name.size() < 4 || name.size() > 6) return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i)
        if ((name[i] | 0x20) != "com"[i]) return std::nullopt;
    int n = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (name[3] == '0' || n > 256) return std::nullopt;
    return n;
}

}  // namespace tarvel
