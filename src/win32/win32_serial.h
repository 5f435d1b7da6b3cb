// The serial port on Windows: the communications functions on "\\.\COMn", opened for overlapped
// I/O. While the window's wait sleeps a read is pending, so the bytes of the controller wake it
// through its event (signals()); writes go out while the window goes on, and wake it as they end.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "platform/serial.h"
#include "win32/handles.h"

namespace tarvel::win32 {

// How the pending read waits for the controller's bytes. A read of what the driver holds that
// stays pending while nothing has come (Wine's) ends with all of an answer in one call; where
// such a read ends at once with nothing (Windows'), the pending read asks for the first byte and
// what came behind it is read as the driver counts it. Learnt as the port opens.
enum class PendingRead { Learnt, FirstByte };

class Win32SerialPort final : public SerialPort {
  public:
    explicit Win32SerialPort(PendingRead reads = PendingRead::Learnt);
    ~Win32SerialPort() override { close(); }
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    bool open(std::string_view name) override;
    bool isOpen() const override { return static_cast<bool>(handle_); }
    int bytesWaiting() override;
    int read(char* buffer, int count) override;
    int write(std::string_view text) override;
    bool writing() override;
    void abandonWrite() override;
    void close() override;
    bool deviceGone() const override { return gone_; }
    std::string failure() const override { return failure_; }
    int lineErrors() override;
    std::string decode(std::string_view bytes) const override;
    bool settle() override;
    // Without a pending read (a driver that ends reads at once with nothing) nothing wakes the
    // wait for the port's bytes: it looks again soon.
    int quietForMs() override { return isOpen() && !gone_ && !reading_ ? kNoSignalLookMs : -1; }

    // The events that end the wait: the pending read's, set when bytes come or the read fails,
    // and the write's, set as it ends (the next line may go). The number put into `events`.
    int signals(HANDLE (&events)[2]) const {
        int n = 0;
        if (reading_) events[n++] = readDone_.get();
        if (writing_) events[n++] = writeDone_.get();
        return n;
    }

  private:
    static constexpr int kNoSignalLookMs = 50;
    // A controller with room in its queue answers a line within some 50 us.
    static constexpr std::chrono::microseconds kAnswerLook{250};
    // After a look that found no answer (the controller holds its lines back, or its driver
    // is slow to hand bytes on), so many lines go by before the next look.
    static constexpr int kLinesWithoutLook = 15;
    // Chooses the pending read (see PendingRead); false when the port refused its time-outs.
    bool learnReads(PendingRead reads);
    // Looks a moment for the answer to the line just written; true when bytes came.
    bool lookForAnswer();
    // Takes the pending read if it has ended; true when bytes came or the port failed.
    bool takeRead();
    // Takes what has come, with or without a read pending; true when bytes came.
    bool takeArrived();
    // Starts reads until one stays pending (or the port fails); true when bytes came.
    bool startRead();
    // The driver's state, its line error flags counted (and cleared); none when the call failed.
    std::optional<COMSTAT> clearErrors();
    // Takes the bytes in the driver's queue, and counts its line error flags (clearing them);
    // true when bytes came.
    bool takeQueued();
    // Notes that a call on the open port failed: its device is gone.
    void noteFailure(DWORD error);
    // The same, returning `result`.
    template <typename T>
    T failed(T result, DWORD error = GetLastError());
    // Notes why the port could not be opened or set up; false.
    bool refused();
    // Ends a pending operation before its buffer or handle goes: cancelled, and waited for a
    // moment (its buffers live as long as the port, so a driver that never ends it harms none).
    void cancel(OVERLAPPED& operation, bool& pending);

    UniqueFile handle_;
    UniqueEvent readDone_;    // event of the pending read
    UniqueEvent queuedDone_;  // event of the read of what came behind its byte
    UniqueEvent writeDone_;   // event of the write going out
    OVERLAPPED readOp_{};
    OVERLAPPED writeOp_{};
    bool reading_ = false;
    bool writing_ = false;
    DWORD readLength_ = 1;  // of the pending read: 1, or all the buffer takes
    const PendingRead reads_;
    bool wrote_ = false;  // a line went out since the wait last slept
    int linesWithoutLook_ = 0;
    char readBuffer_[512]{};
    std::string received_;  // read from the driver, not yet taken by the program
    std::string sending_;   // the bytes of the write going out
    bool gone_ = false;
    bool signalled_ = false;  // a failure not yet told to the wait
    int lineErrors_ = 0;
    std::string failure_;
};

}  // namespace tarvel::win32
