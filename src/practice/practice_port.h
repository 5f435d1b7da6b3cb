// The practice controller inside the program: a serial port whose only device is the queued
// controller, carried forward by the program's own clock whenever the program asks the port
// anything, so the machine keeps the real one's pace with no thread of its own. It answers as
// COM1 and nowhere else, so no real port of the PC is ever touched, and every opening resets
// it, as opening a real board's port does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "controller/queued_controller.h"
#include "platform/serial.h"
#include "platform/window.h"

namespace tarvel::practice {

class PracticePort final : public SerialPort, private controller::ControllerHost {
  public:
    static constexpr const char* kPortName = "COM1";

    explicit PracticePort(Clock& clock, const controller::BoardSettings& board = {})
        : clock_(clock), controller_(*this, board) {}

    bool open(std::string_view name) override;
    bool isOpen() const override { return open_; }
    int bytesWaiting() override;
    int read(char* buffer, int count) override;
    int write(std::string_view text) override;
    // The controller takes every byte at once.
    bool writing() override { return false; }
    void abandonWrite() override {}
    void close() override;
    // The controller inside takes every byte and never goes away.
    bool deviceGone() const override { return false; }
    std::string failure() const override { return {}; }
    int lineErrors() override { return 0; }
    bool settle() override;
    // Until the controller next has something to do: its answers come by the program's clock.
    int quietForMs() override;
    std::string decode(std::string_view bytes) const override { return std::string(bytes); }

    // The machine now.
    controller::MachineState machine();
    // Told when the machine may have started to move (a line was taken, the board reset).
    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

  private:
    void send(std::string_view bytes) override {
        received_ += bytes;
        ++sent_;
    }
    void log(long long, std::string_view) override {}
    long long nowUs() { return clock_.nowMs() * 1000; }
    // The controller carried forward to now.
    void catchUp() { controller_.advance(nowUs()); }

    Clock& clock_;
    controller::QueuedController controller_;
    bool open_ = false;
    std::string received_;                    // sent by the controller, not yet read
    std::string partial_;                     // written, not yet a whole line
    std::uint64_t sent_ = 0, settledAt_ = 0;  // sends of the controller, and as last settled
    std::function<void()> listener_;
};

}  // namespace tarvel::practice
