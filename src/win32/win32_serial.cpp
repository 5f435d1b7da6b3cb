#include "win32/win32_serial.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <string>

#include "win32/port_settings.h"
#include "win32/text.h"

namespace tarvel::win32 {
namespace {

// How long closing the port waits for a cancelled operation to end before it lets it be.
constexpr DWORD kCancelWaitMs = 200;
constexpr DWORD kLineErrorFlags = CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_RXOVER;

HANDLE manualResetEvent() {
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

}  // namespace

Win32SerialPort::Win32SerialPort()
    : readDone_(manualResetEvent()),
      queuedDone_(manualResetEvent()),
      writeDone_(manualResetEvent()) {}

// Any call that fails on an open port means its device is gone: USB serial drivers each report
// a pulled cable with another error (FTDI ERROR_OPERATION_ABORTED, CH340 ERROR_ACCESS_DENIED,
// PL2303 ERROR_BAD_COMMAND, Bluetooth ERROR_DEVICE_REMOVED, Wine ERROR_NOT_READY), and with no
// abort on error, line errors (framing, overrun) come only as flags of ClearCommError.
void Win32SerialPort::noteFailure(DWORD error) {
    if (gone_) return;
    gone_ = true;
    signalled_ = true;
    failure_ = systemMessage(error);
}

template <typename T>
T Win32SerialPort::failed(T result, DWORD error) {
    noteFailure(error);
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
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
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
    COMMTIMEOUTS timeouts = controllerTimeouts();
    if (!SetCommTimeouts(h, &timeouts)) return refused();
    handle_ = std::move(port);
    // What an earlier program left on the line is not ours to count.
    clearErrors();
    lineErrors_ = 0;
    return true;
}

// The pending read asks for one byte: it ends as the first byte comes, on Windows and under Wine
// alike (a read that ends at once with what has come is a matter of time-outs that the two read
// differently). What came behind it is then taken as the driver counts it.
bool Win32SerialPort::startRead() {
    bool came = false;
    while (isOpen() && !gone_ && !reading_) {
        readOp_ = OVERLAPPED{};
        readOp_.hEvent = readDone_.get();
        DWORD got = 0;
        if (!ReadFile(handle_.get(), &firstByte_, 1, nullptr, &readOp_)) {
            if (GetLastError() != ERROR_IO_PENDING) return failed(true);
            reading_ = true;
            return came;
        }
        // Done at once: a byte was waiting.
        if (!GetOverlappedResult(handle_.get(), &readOp_, &got, FALSE)) return failed(true);
        if (got == 0) return came;
        received_ += firstByte_;
        came = true;
        takeQueued();
    }
    return came;
}

std::optional<COMSTAT> Win32SerialPort::clearErrors() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_.get(), &errors, &status)) return std::nullopt;
    lineErrors_ += std::popcount(static_cast<unsigned>(errors & kLineErrorFlags));
    return status;
}

void Win32SerialPort::takeQueued() {
    const std::optional<COMSTAT> status = clearErrors();
    if (!status) return noteFailure(GetLastError());
    const DWORD queued = std::min<DWORD>(status->cbInQue, sizeof readBuffer_);
    if (queued == 0) return;
    OVERLAPPED op{};
    op.hEvent = queuedDone_.get();
    DWORD got = 0;
    // The bytes are in the driver's queue already: the read ends at once.
    if (!ReadFile(handle_.get(), readBuffer_, queued, nullptr, &op)) {
        if (GetLastError() != ERROR_IO_PENDING) return noteFailure(GetLastError());
        if (WaitForSingleObject(op.hEvent, kCancelWaitMs) != WAIT_OBJECT_0) {
            CancelIoEx(handle_.get(), &op);
            WaitForSingleObject(op.hEvent, kCancelWaitMs);
        }
    }
    if (!GetOverlappedResult(handle_.get(), &op, &got, FALSE)) return noteFailure(GetLastError());
    received_.append(readBuffer_, got);
}

bool Win32SerialPort::takeRead() {
    if (!isOpen() || !reading_) return false;
    DWORD got = 0;
    if (GetOverlappedResult(handle_.get(), &readOp_, &got, FALSE)) {
        reading_ = false;
        if (got == 0) return false;
        received_ += firstByte_;
        takeQueued();
        return true;
    }
    if (GetLastError() == ERROR_IO_INCOMPLETE) return false;
    reading_ = false;
    return failed(true);
}

// Takes what has come without starting a read: the next line goes out before the read that
// waits for its answer is started (under Wine each overlapped call costs some 0.1 ms).
bool Win32SerialPort::takeArrived() {
    if (!isOpen() || gone_) return false;
    if (takeRead()) return true;
    if (reading_) return false;
    const std::size_t before = received_.size();
    takeQueued();
    return received_.size() > before;
}

// Called as the wait is about to sleep: a read is left pending to wake it.
bool Win32SerialPort::settle() {
    bool came = takeRead();
    if (writing_ && !writing()) came = true;  // the write has ended, or failed
    if (!reading_ && startRead()) came = true;
    return std::exchange(signalled_, false) || came;
}

int Win32SerialPort::bytesWaiting() {
    takeArrived();
    return gone_ ? 0 : static_cast<int>(received_.size());
}

int Win32SerialPort::read(char* buffer, int count) {
    if (!isOpen() || count <= 0) return 0;
    takeArrived();
    if (gone_) return 0;
    const std::size_t n = std::min(received_.size(), static_cast<std::size_t>(count));
    std::copy_n(received_.data(), n, buffer);
    received_.erase(0, n);
    return static_cast<int>(n);
}

int Win32SerialPort::write(std::string_view text) {
    // One write at a time: the bytes of the one going out must stay where they are.
    if (!isOpen() || gone_ || writing()) return 0;
    const std::wstring wide = widen(text);
    sending_.clear();
    if (!wide.empty()) {
        const int size = static_cast<int>(wide.size());
        const int length =
            WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
        sending_.resize(static_cast<std::size_t>(length));
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, sending_.data(), length, nullptr,
                            nullptr);
    }
    if (sending_.empty()) return 0;
    writeOp_ = OVERLAPPED{};
    writeOp_.hEvent = writeDone_.get();
    if (!WriteFile(handle_.get(), sending_.data(), static_cast<DWORD>(sending_.size()), nullptr,
                   &writeOp_)) {
        if (GetLastError() != ERROR_IO_PENDING) return failed(0);
        writing_ = true;
        return static_cast<int>(sending_.size());
    }
    writing_ = true;  // done already; writing() says how
    writing();
    return gone_ ? 0 : static_cast<int>(sending_.size());
}

bool Win32SerialPort::writing() {
    if (!writing_) return false;
    DWORD written = 0;
    if (GetOverlappedResult(handle_.get(), &writeOp_, &written, FALSE)) {
        writing_ = false;
        // The driver's write time-out ended it with bytes left: the device takes no more.
        if (written < sending_.size()) failed(0, ERROR_TIMEOUT);
        return false;
    }
    if (GetLastError() == ERROR_IO_INCOMPLETE) return true;
    writing_ = false;
    failed(0);
    return false;
}

void Win32SerialPort::abandonWrite() {
    if (!writing()) return;
    cancel(writeOp_, writing_);
    failed(0, ERROR_TIMEOUT);
}

void Win32SerialPort::cancel(OVERLAPPED& operation, bool& pending) {
    if (!pending) return;
    CancelIoEx(handle_.get(), &operation);
    WaitForSingleObject(operation.hEvent, kCancelWaitMs);
    pending = false;
}

void Win32SerialPort::close() {
    if (handle_) {
        cancel(readOp_, reading_);
        cancel(writeOp_, writing_);
    }
    handle_.reset();
    gone_ = false;
    signalled_ = false;
    received_.clear();
}

int Win32SerialPort::lineErrors() {
    if (isOpen() && !gone_) clearErrors();
    return lineErrors_;
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
