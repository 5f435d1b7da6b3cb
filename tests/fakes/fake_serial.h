// In-memory COM ports with scripted devices behind them.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/serial.h"

namespace tarvel::testing {

struct FakeDevice {
    // Sent as soon as the port is opened.
    std::string identification;
    // More start-up text, arriving after so many queries of the receive queue after the open.
    std::vector<std::pair<int, std::string>> startUpTail;
    // Called for every write; may queue bytes with arrive().
    std::function<void(FakeDevice&, const std::string&)> onWrite;
    // Everything written to the device, one entry per write.
    std::vector<std::string> written;
    int opens = 0;

    // Bytes that become readable after `polls` more queries of the receive queue.
    void arrive(std::string bytes, int polls = 0) { arrivals.push_back({polls, std::move(bytes)}); }

    std::string received;  // readable now
    struct Arrival {
        int polls;
        std::string bytes;
    };
    std::deque<Arrival> arrivals;
};

// A controller that answers every line with "ok".
FakeDevice controller(std::string identification);
// The identification text of our controller: 140 bytes, date mark and author line included.
std::string controllerIdentification();

class FakeSerialPort : public SerialPort {
  public:
    bool open(std::string_view name) override;
    bool isOpen() const override {
        ++isOpenQueries;
        return device_ != nullptr;
    }
    int bytesWaiting() override;
    int read(char* buffer, int count) override;
    int write(std::string_view text) override;
    void close() override { device_ = nullptr; }
    std::string decode(std::string_view bytes) const override { return std::string(bytes); }

    std::map<std::string, FakeDevice> devices;  // by port name
    std::vector<std::string> opened;            // names, in the order they were opened
    int queries = 0;
    mutable int isOpenQueries = 0;
    FakeDevice* device() { return device_; }

  private:
    FakeDevice* device_ = nullptr;
};

}  // namespace tarvel::testing
