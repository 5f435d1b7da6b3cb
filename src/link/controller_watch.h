// What the controller says of itself while it is connected, in the bytes it sends, whatever the
// pieces they arrive in: its start-up text again (it has restarted, after its reset button or a
// dip of its power, and has forgotten its position and its queue), an "Error:" line (it has
// halted, and answers nothing more until its port is opened again), where its axes stand (the
// line it prints after a homing and for M114), and the limits its settings state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "motion/motion_model.h"

namespace tarvel {

class ControllerWatch {
  public:
    ControllerWatch() = default;
    // Anew, keeping the limits read so far of a start-up text that has begun.
    explicit ControllerWatch(const motion::Limits& limits) : limits_(limits) {}

    // Everything read from the controller passes through here.
    void feed(std::string_view bytes);
    // The start-up text read when the port was opened: its settings, and no restart.
    void startUp(std::string_view bytes);

    // The start-up text's date mark has been seen since the connection was made.
    bool restarted() const { return restarted_; }
    // The text of the first "Error:" line since the connection was made, after "Error:": the
    // controller has halted.
    const std::optional<std::string>& halt() const { return halt_; }
    // Where the axes stood by the last position line since the last call.
    std::optional<motion::Axes> takeReport() { return std::exchange(report_, std::nullopt); }
    // Where the axes stood by the last position line of all, and how many have come.
    const motion::Axes& lastReport() const { return lastReport_; }
    std::uint64_t reports() const { return reports_; }
    // The limits the last start-up text stated (the model's constants for what it did not).
    const motion::Limits& limits() const { return limits_; }

  private:
    // A line longer than any the controller sends is not kept whole: its start is what counts.
    static constexpr std::size_t kLongestLine = 200;

    void take(std::string_view bytes, bool startingUp);
    void endLine();

    std::string tail_;  // the last bytes, for a date mark cut in two
    std::string line_;  // the line coming in
    bool restarted_ = false;
    std::optional<std::string> halt_;
    std::optional<motion::Axes> report_;
    motion::Axes lastReport_;
    std::uint64_t reports_ = 0;
    motion::Limits limits_;
};

// The axes of a position line, "X:0.00 Y:-30.00 Z:40.00 E:0.00 Count X:0 Y:-2400 Z:16000"; none
// for any other line.
std::optional<motion::Axes> positionReport(std::string_view line);

}  // namespace tarvel
