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
    // Bytes received and not yet read; 0 when no port is open or the port failed.
    virtual int bytesWaiting() = 0;
    // Reads up to `count` bytes of those that have arrived, at once: the number read, 0 on
    // failure, when none has arrived or when no port is open. It never waits for more.
    virtual int read(char* buffer, int count) = 0;
    // Starts writing UTF-8 text converted to the line's code page and returns at once: the
    // number of bytes handed to the system, 0 when nothing could be (deviceGone() then). The
    // bytes go out meanwhile; writing() tells whether they still do.
    virtual int write(std::string_view text) = 0;
    // True while the last write has not gone out whole. A write that ended with bytes left
    // over, or failed, finds the device gone.
    virtual bool writing() = 0;
    // Gives up the write still going out: a device that takes nothing more is stuck, and the
    // port is gone from then on (deviceGone(), failure() says so).
    virtual void abandonWrite() = 0;
    virtual void close() = 0;
    // True once a call on the open port failed because its device is no longer there (a cable
    // pulled, the controller switched off, a device that takes no more bytes); errors on the
    // line itself (framing, overrun) are not that. The port stays open until it is closed.
    virtual bool deviceGone() const = 0;
    // The system's words for the last call that failed (opening or setting up a port, or a call
    // that found its device gone); empty when it gave none.
    virtual std::string failure() const = 0;
    // Errors on the line since the port was opened, as the driver flags them: a framing error,
    // an overrun, a parity error, a receive queue that overflowed. Each flag seen counts one.
    virtual int lineErrors() = 0;
    // Text of bytes received on the line, as UTF-8.
    virtual std::string decode(std::string_view bytes) const = 0;

    // For the event wait, which watches the port beside the window (Window::watch): true when
    // something came since the last call (bytes, a failure), so the wait returns at once.
    virtual bool settle() = 0;
    // How long the wait may sleep before the port has something to look at: -1 when the port
    // itself wakes the wait (or has nothing to say).
    virtual int quietForMs() = 0;
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
