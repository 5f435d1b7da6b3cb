#include "platform/win32/win32_serial.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/win32/text.h"

namespace tarvel::win32 {
namespace {

// What a call on an open port fails with once its device is gone: USB serial drivers answer
// with these when the adapter is pulled or the device switched off, Wine with ERROR_NOT_READY
// when the other end of its pseudo-terminal has closed. Line errors (framing, overrun) come as
// flags of ClearCommError, never as a failure.
constexpr DWORD kDeviceGoneErrors[] = {
    ERROR_ACCESS_DENIED, ERROR_BAD_COMMAND,       ERROR_DEVICE_REMOVED,       ERROR_GEN_FAILURE,
    ERROR_NOT_READY,     ERROR_OPERATION_ABORTED, ERROR_DEVICE_NOT_CONNECTED,
};

bool deviceGoneError(DWORD error) {
    return std::find(std::begin(kDeviceGoneErrors), std::end(kDeviceGoneErrors), error) !=
           std::end(kDeviceGoneErrors);
}

}  // namespace

template <typename T>
T Win32SerialPort::failed(T result) {
    if (deviceGoneError(GetLastError())) gone_ = true;
    return result;
}

bool Win32SerialPort::open(std::string_view name) {
    close();
    const std::wstring path = L"\\\\.\\" + widen(name);
    UniqueFile port(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!port) return false;
    HANDLE h = port.get();
    SetupComm(h, 255, 255);  // a hint only; drivers may keep their own sizes

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) return false;
    dcb.BaudRate = 115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fParity = 1;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    if (!SetCommState(h, &dcb)) return false;
    // Reads wait for every byte asked for; writes give up after 10 ms plus 100 ms a byte.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 100;
    timeouts.WriteTotalTimeoutConstant = 10;
    SetCommTimeouts(h, &timeouts);
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
