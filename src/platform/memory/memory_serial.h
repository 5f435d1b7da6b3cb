// COM ports held in memory, with scripted devices behind them: a controller that answers every
// line at once, or one that misbehaves as a test needs it to.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/serial.h"

namespace tarvel::memory {

struct MemoryDevice {
    // Sent as soon as the port is opened.
    std::string identification;
    // More start-up text, arriving after so many queries of the receive queue after the open.
    std::vector<std::pair<int, std::string>> startUpTail;
    // Called for every write; may queue bytes with arrive().
    std::function<void(MemoryDevice&, const std::string&)> onWrite;
    // Everything written to the device, one entry per write (while keepWritten is set; a long
    // run counts its lines in onWrite instead).
    std::vector<std::string> written;
    bool keepWritten = true;
    int opens = 0;
    // Unplugged: every call on its port fails as on a device that is no longer there; it cannot
    // be opened either. With vanishAfterPolls >= 0 it goes after that many more queries.
    bool gone = false;
    int vanishAfterPolls = -1;

    // Bytes that become readable after `polls` more queries of the receive queue.
    void arrive(std::string_view bytes, int polls = 0) {
        if (polls == 0 && arrivals.empty())
            pending += bytes;  // readable at the next query
        else
            arrivals.push_back({polls, std::string(bytes)});
    }

    std::string received;  // readable now
    std::string pending;   // readable at the next query
    struct Arrival {
        int polls;
        std::string bytes;
    };
    std::deque<Arrival> arrivals;
};

// A controller that answers every line with "ok".
MemoryDevice controller(std::string identification);
// The same keeping no record of the lines: each goes to `eachLine` as it is written, so that a
// long run (a benchmark, a plan, the fuzz rig) stays small.
MemoryDevice controller(std::string identification,
                        std::function<void(const std::string&)> eachLine);
// The identification text of our controller: 140 bytes, date mark and author line included.
std::string controllerIdentification();

class MemorySerialPort : public SerialPort {
  public:
    bool open(std::string_view name) override;
    bool isOpen() const override {
        ++isOpenQueries;
        return device_ != nullptr;
    }
    int bytesWaiting() override;
    int read(char* buffer, int count) override;
    int write(std::string_view text) override;
    void close() override {
        device_ = nullptr;
        gone_ = false;
    }
    bool deviceGone() const override { return gone_; }
    std::string decode(std::string_view bytes) const override { return std::string(bytes); }

    std::map<std::string, MemoryDevice> devices;  // by port name
    std::vector<std::string> opened;              // names, in the order they were opened
    int queries = 0;
    mutable int isOpenQueries = 0;
    // What the program did wrong with the port (a read of bytes that never come).
    std::vector<std::string> faults;
    MemoryDevice* device() { return device_; }

  private:
    // True (and the call failed) when the device is gone.
    bool lost();

    MemoryDevice* device_ = nullptr;
    bool gone_ = false;
};

}  // namespace tarvel::memory
