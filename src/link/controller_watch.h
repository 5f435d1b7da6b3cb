// What the controller says of itself while it is connected, in the bytes it sends, whatever the
// pieces they arrive in: its start-up text again (it has restarted, after its reset button or a
// dip of its power, and has forgotten its position and its queue), and an "Error:" line (it has
// halted, and answers nothing more).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tarvel {

class ControllerWatch {
  public:
    // Everything read from the controller passes through here.
    void feed(std::string_view bytes);
    // The start-up text's date mark has been seen since the connection was made.
    bool restarted() const { return restarted_; }
    // The text of the first "Error:" line seen since the last call, after "Error:".
    std::optional<std::string> takeError() { return std::exchange(error_, std::nullopt); }

  private:
    // A line longer than any the controller sends is not kept whole: its start is what counts.
    static constexpr std::size_t kLongestLine = 200;

    void endLine();

    std::string tail_;  // the last bytes, for a date mark cut in two
    std::string line_;  // the line coming in
    bool restarted_ = false;
    std::optional<std::string> error_;
};

}  // namespace tarvel
