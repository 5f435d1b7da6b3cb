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

// An operation that sets `event` as it ends. The event's lowest bit set keeps the end from
// being queued to a completion port: the port has none, and under Wine asking costs a call of
// its own on every operation that ends at once.
OVERLAPPED operationSetting(HANDLE event) {
    OVERLAPPED operation{};
    operation.hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(event) | 1);
    return operation;
}

HANDLE eventOf(const OVERLAPPED& operation) {
    return reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(operation.hEvent) & ~ULONG_PTR{1});
}

}  // namespace

Win32SerialPort::Win32SerialPort(PendingRead reads)
    : readDone_(manualResetEvent()),
      queuedDone_(manualResetEvent()),
      writeDone_(manualResetEvent()),
      reads_(reads) {}

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
    handle_ = std::move(port);
    // What an earlier program left on the line is not ours to count.
    clearErrors();
    lineErrors_ = 0;
    if (!learnReads(reads_)) {
        refused();
        handle_.reset();
        return false;
    }
    return true;
}

// A read of what the driver holds is started: if it stays pending, it is the one that waits.
// If it ends at once with nothing, the driver does as Windows documents, and the pending read
// asks for one byte instead (which ends as the first byte comes, on Windows and Wine alike).
// Bytes that have come already are kept; a read that ends with them is started again.
bool Win32SerialPort::learnReads(PendingRead reads) {
    if (reads == PendingRead::Learnt) {
        COMMTIMEOUTS whatIsThere = whatIsThereTimeouts();
        if (!SetCommTimeouts(handle_.get(), &whatIsThere)) return false;
        readLength_ = sizeof readBuffer_;
        signalled_ = startRead();
        if (reading_ || gone_) return true;
    }
    COMMTIMEOUTS firstByte = controllerTimeouts();
    readLength_ = 1;
    return SetCommTimeouts(handle_.get(), &firstByte) != 0;
}

bool Win32SerialPort::startRead() {
    bool came = false;
    while (isOpen() && !gone_ && !reading_) {
        readOp_ = operationSetting(readDone_.get());
        DWORD got = 0;
        if (!ReadFile(handle_.get(), readBuffer_, readLength_, nullptr, &readOp_)) {
            if (GetLastError() != ERROR_IO_PENDING) return failed(true);
            reading_ = true;
            return came;
        }
        // Done at once: bytes were waiting (or, for a read of what is there, none).
        if (!GetOverlappedResult(handle_.get(), &readOp_, &got, FALSE)) return failed(true);
        if (got == 0) return came;
        received_.append(readBuffer_, got);
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

bool Win32SerialPort::takeQueued() {
    const std::optional<COMSTAT> status = clearErrors();
    if (!status) return failed(false);
    const DWORD queued = std::min<DWORD>(status->cbInQue, sizeof readBuffer_);
    if (queued == 0) return false;
    OVERLAPPED op = operationSetting(queuedDone_.get());
    DWORD got = 0;
    // The bytes are in the driver's queue already: the read ends at once (under Wine, with no
    // time-outs, only after a turn through its server).
    if (!ReadFile(handle_.get(), readBuffer_, queued, nullptr, &op)) {
        if (GetLastError() != ERROR_IO_PENDING) return failed(false);
        if (WaitForSingleObject(eventOf(op), kCancelWaitMs) != WAIT_OBJECT_0) {
            CancelIoEx(handle_.get(), &op);
            WaitForSingleObject(eventOf(op), kCancelWaitMs);
        }
    }
    if (!GetOverlappedResult(handle_.get(), &op, &got, FALSE)) return failed(false);
    received_.append(readBuffer_, got);
    return got > 0;
}

bool Win32SerialPort::takeRead() {
    if (!isOpen() || !reading_) return false;
    DWORD got = 0;
    if (GetOverlappedResult(handle_.get(), &readOp_, &got, FALSE)) {
        reading_ = false;
        if (got == 0) return false;
        received_.append(readBuffer_, got);
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
    return takeQueued();
}

// Called as the wait is about to sleep: a read is left pending to wake it.
bool Win32SerialPort::settle() {
    bool came = takeRead();
    if (writing_ && !writing()) came = true;  // the write has ended, or failed
    if (std::exchange(signalled_, false)) came = true;
    // Nothing is started while something waits to be taken: the line it answers goes out first.
    if (!came && !reading_) came = lookForAnswer() || startRead();
    return came;
}

// The answer to a line that went out often comes before the read that would wake the wait could
// be started: under Wine starting it, being woken and taking its bytes cost some 0.2 ms, and a
// look at the driver's queue a few microseconds. Only a controller that answers at once is looked
// for on every line; one that keeps its lines waiting is looked for now and then.
bool Win32SerialPort::lookForAnswer() {
    if (!std::exchange(wrote_, false) || gone_) return false;
    if (linesWithoutLook_ > 0) {
        --linesWithoutLook_;
        return false;
    }
    const auto until = std::chrono::steady_clock::now() + kAnswerLook;
    do {
        if (takeQueued() || gone_) return true;
    } while (std::chrono::steady_clock::now() < until);
    linesWithoutLook_ = kLinesWithoutLook;
    return false;
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
    writeOp_ = operationSetting(writeDone_.get());
    wrote_ = true;
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
    WaitForSingleObject(eventOf(operation), kCancelWaitMs);
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
    wrote_ = false;
    linesWithoutLook_ = 0;
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
