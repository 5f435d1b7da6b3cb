#include "platform/win32/win32_serial.h"

#include <string>

#include "platform/win32/port_settings.h"
#include "platform/win32/text.h"

namespace tarvel::win32 {

// Any call that fails on an open port means its device is gone: USB serial drivers each report
// a pulled cable with another error (FTDI ERROR_OPERATION_ABORTED, CH340 ERROR_ACCESS_DENIED,
// PL2303 ERROR_BAD_COMMAND, Bluetooth ERROR_DEVICE_REMOVED, Wine ERROR_NOT_READY), and with no
// abort on error, line errors (framing, overrun) come only as flags of ClearCommError.
template <typename T>
T Win32SerialPort::failed(T result) {
    gone_ = true;
    return result;
}

bool Win32SerialPort::open(std::string_view name) {
    close();
    const std::wstring path = L"\\\\.\\" + widen(name);
    UniqueFile port(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!port) return false;
    HANDLE h = port.get();
    // Only a hint: drivers may keep their own sizes, and nothing here depends on them (every
    // read takes what is waiting), so a refusal is no reason to pass the port over.
    SetupComm(h, 255, 255);

    DCB found{};
    found.DCBlength = sizeof found;
    if (!GetCommState(h, &found)) return false;
    DCB settings = controllerLineSettings(found);
    if (!SetCommState(h, &settings)) return false;
    // Without its time-outs a read could hold the window for ever.
    COMMTIMEOUTS timeouts = controllerTimeouts();
    if (!SetCommTimeouts(h, &timeouts)) return false;
    handle_ = std::move(port);
    return true;
}

int Win32SerialPort::bytesWaiting() {
    if (!isOpen()) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_.get(), &errors, &status)) return failed(0);
    return static_cast<int>(status.cbInQue);
}

int Win32SerialPort::read(char* buffer, int count) {
    if (!isOpen() || count <= 0) return 0;
    DWORD got = 0;
    if (!ReadFile(handle_.get(), buffer, static_cast<DWORD>(count), &got, nullptr))
        return failed(0);
    return static_cast<int>(got);
}

int Win32SerialPort::write(std::string_view text) {
    if (!isOpen()) return 0;
    const std::wstring wide = widen(text);
    std::string bytes;
    if (!wide.empty()) {
        const int size = static_cast<int>(wide.size());
        const int length =
            WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
        bytes.resize(static_cast<std::size_t>(length));
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    }
    DWORD written = 0;
    if (!WriteFile(handle_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr))
        return failed(static_cast<int>(written));
    return static_cast<int>(written);
}

void Win32SerialPort::close() {
    handle_.reset();
    gone_ = false;
}

std::string Win32SerialPort::decode(std::string_view bytes) const {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    return narrow(wide);
}

}  // namespace tarvel::win32
