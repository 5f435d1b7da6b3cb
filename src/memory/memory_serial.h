// COM ports held in memory, with scripted devices behind them: a controller that answers every
// line at once, or one that misbehaves as a test needs it to. They keep the Windows port's
// contract: opening an open port closes it first, bytes on the line are in the system's ANSI code
// page, a read takes what has arrived and never waits, and what a device sends arrives in
// milliseconds of the clock.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "memory/memory_clock.h"
#include "platform/serial.h"

namespace tarvel::memory {

struct MemoryDevice {
    // Sent as soon as the port is opened.
    std::string identification;
    // More start-up text, arriving so many milliseconds after the open.
    std::vector<std::pair<int, std::string>> startUpTail;
    // Called for every write, with the bytes written; may queue bytes with arrive().
    std::function<void(MemoryDevice&, const std::string&)> onWrite;
    // Everything written to the device, one entry per write (while keepWritten is set; a long
    // run counts its lines in onWrite instead).
    std::vector<std::string> written;
    bool keepWritten = true;
    int opens = 0;
    // Unplugged: every call on its port fails as on a device that is no longer there; it cannot
    // be opened either.
    bool gone = false;
    // Takes this many bytes of the next write and then nothing more, as a device that hangs in
    // the middle of a line: the write goes on until the program gives it up.
    std::optional<std::size_t> takesOnly;
    // Errors on the line (framing, overrun) the driver has flagged since the port was opened.
    int lineErrors = 0;

    // Bytes that become readable `delayMs` after now, after those queued before them.
    void arrive(std::string_view bytes, int delayMs = 0) {
        if (delayMs == 0 && arrivals.empty())
            pending += bytes;  // readable at the next query: most answers, kept cheap
        else
            arrivals.push_back({now() + delayMs, std::string(bytes)});
    }
    // Unplugged `delayMs` after now.
    void vanishAfter(int delayMs) { vanishAtMs = now() + delayMs; }

    std::int64_t now() const { return clock ? clock->now : 0; }

    std::string received;  // readable now
    std::string pending;   // readable at the next query
    struct Arrival {
        std::int64_t atMs;
        std::string bytes;
    };
    std::deque<Arrival> arrivals;
    std::int64_t vanishAtMs = -1;
    const MemoryClock* clock = nullptr;  // the port's, once opened
};

// A controller that answers every line with "ok".
MemoryDevice controller(std::string identification);
// The same keeping no record of the lines: each goes to `eachLine` as it is written, so that a
// long run (a benchmark, a plan, the fuzz rig) stays small.
MemoryDevice controller(std::string identification,
                        std::function<void(const std::string&)> eachLine);
// The identification text of our controller: 140 bytes, date mark and author line included.
std::string controllerIdentification();

// UTF-8 text in the system's ANSI code page (1251, the shop floor's, or 1252), as the line
// carries it ('?' for what it cannot carry), and back.
std::string toLineBytes(std::string_view utf8, int codePage);
std::string fromLineBytes(std::string_view bytes, int codePage);

// The devices by port name. A device taken away (erased) while its port is open is as good as
// unplugged: the port looks it up again only then, so every call stays cheap.
class MemoryDevices {
  public:
    MemoryDevice& operator[](const std::string& name) { return devices_[name]; }
    MemoryDevice& at(const std::string& name) { return devices_.at(name); }
    MemoryDevice* find(const std::string& name) {
        const auto it = devices_.find(name);
        return it == devices_.end() ? nullptr : &it->second;
    }
    void erase(const std::string& name) {
        devices_.erase(name);
        ++erased_;
    }
    std::uint64_t erased() const { return erased_; }

  private:
    std::map<std::string, MemoryDevice> devices_;
    std::uint64_t erased_ = 0;
};

class MemorySerialPort : public SerialPort {
  public:
    bool open(std::string_view name) override;
    bool isOpen() const override {
        ++isOpenQueries;
        return open_.has_value();
    }
    int bytesWaiting() override;
    int read(char* buffer, int count) override;
    int write(std::string_view text) override;
    bool writing() override { return hungWrite_ && open_ && !lost(); }
    void abandonWrite() override;
    void close() override {
        open_.reset();
        gone_ = false;
        hungWrite_ = false;
    }
    int lineErrors() override;
    bool settle() override;
    int quietForMs() override;
    // What Windows says of an unplugged device, and of a write that timed out.
    static constexpr const char* kNotConnected = "Устройство не подключено (код 1167)";
    static constexpr const char* kTimedOut = "Время ожидания операции истекло (код 1460)";
    bool deviceGone() const override { return gone_; }
    std::string failure() const override { return failure_; }
    std::string decode(std::string_view bytes) const override {
        return fromLineBytes(bytes, codePage);
    }

    MemoryDevices devices;
    // The system's ANSI code page, which Windows converts the line's text with: the Russian
    // shop-floor PC's by default.
    int codePage = 1251;
    std::vector<std::string> opened;  // names, in the order they were opened
    // The clock by which what devices send arrives; none: at once.
    const MemoryClock* clock = nullptr;
    int queries = 0;
    int reads = 0;  // reads that returned bytes
    // Moves with every byte that crosses the line: a program that waits while it moves is not
    // hung (the window's hang guard watches it).
    std::uint64_t activity = 0;
    mutable int isOpenQueries = 0;
    // The device of the open port; none when it has been taken out of `devices` meanwhile, which
    // is as good as unplugged.
    MemoryDevice* device();

  private:
    // True (and the call failed) when the device is gone.
    bool lost();
    // What the device has sent by now becomes readable; true when anything did.
    bool takeArrivals(MemoryDevice& d);

    std::optional<std::string> open_;  // the name of the open port
    MemoryDevice* device_ = nullptr;   // its device, as found when `devices` last lost one
    std::uint64_t erasedSeen_ = 0;
    bool gone_ = false;
    bool hungWrite_ = false;
    bool goneSettled_ = false;                   // the wait has been told that the device is gone
    std::uint64_t arrived_ = 0, settledAt_ = 0;  // takes of arrivals, and as last settled
    std::string failure_;
};

}  // namespace tarvel::memory
