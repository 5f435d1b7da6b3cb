// The serial port on Windows: the communications functions on "\\.\COMn".
#pragma once

#include <windows.h>

#include "platform/serial.h"
#include "win32/handles.h"

namespace tarvel::win32 {

class Win32SerialPort final : public SerialPort {
  public:
    Win32SerialPort() = default;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    bool open(std::string_view name) override;
    bool isOpen() const override { return static_cast<bool>(handle_); }
    int bytesWaiting() override;
    int read(char* buffer, int count) override;
    int write(std::string_view text) override;
    void close() override;
    bool deviceGone() const override { return gone_; }
    std::string failure() const override { return failure_; }
    std::string decode(std::string_view bytes) const override;

  private:
    // Notes that a call on the open port failed: its device is gone. Returns `result`.
    template <typename T>
    T failed(T result, DWORD error = GetLastError());
    // Notes why the port could not be opened or set up; false.
    bool refused();

    UniqueFile handle_;
    bool gone_ = false;
    std::string failure_;
};

}  // namespace tarvel::win32
