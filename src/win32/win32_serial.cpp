#include "win32/win32_serial.h"

#include <string>

#include "win32/port_settings.h"
#include "win32/text.h"

namespace tarvel::win32 {

// Any call that fails on an open port means its device is gone: USB serial drivers each report
// a pulled cable with another error (FTDI ERROR_OPERATION_ABORTED, CH340 ERROR_ACCESS_DENIED,
// PL2303 ERROR_BAD_COMMAND, Bluetooth ERROR_DEVICE_REMOVED, Wine ERROR_NOT_READY), and with no
// abort on error, line errors (framing, overrun) come only as flags of ClearCommError.
template <typename T>
T Win32SerialPort::failed(T result, DWORD error) {
    gone_ = true;
    failure_ = systemMessage(error);
    return result;
}

bool Win32SerialPort::refused() {
    failure_ = systemMessage(GetLastError());
    return false;
}

bool Win32SerialPort::open(std::string_view name) {
    close();
    const std::wstring path = L"\\\\.\\" + widen(name);
    UniqueFile port(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!port) return refused();
    HANDLE h = port.get();
    // Only a hint: drivers may keep their own sizes, and nothing here depends on them (every
    // read takes what is waiting), so a refusal is no reason to pass the port over.
    SetupComm(h, 255, 255);

    DCB found{};
    found.DCBlength = sizeof found;
    if (!GetCommState(h, &found)) return refused();
    DCB settings = controllerLineSettings(found);
    if (!SetCommState(h, &settings)) return refused();
    // Without its time-outs a read could hold the window for ever.
    COMMTIMEOUTS timeouts = controllerTimeouts();
    if (!SetCommTimeouts(h, &timeouts)) return refused();
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
    // A write that times out returns with what went out so far: the rest goes on, for a part of
    // a line left in the controller would be joined to the next line. Nothing at all within
    // the time-out means the device takes nothing any more.
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(handle_.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                       &written, nullptr))
            return failed(static_cast<int>(done + written));
        if (written == 0) return failed(static_cast<int>(done), ERROR_TIMEOUT);
        done += written;
    }
    return static_cast<int>(done);
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
