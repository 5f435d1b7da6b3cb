#include "link/controller_watch.h"

#include <charconv>

#include "link/identification.h"
#include "motion/gcode_words.h"

namespace tarvel {
namespace {

// The number after `label` in `text`, if there is one.
std::optional<double> numberAfter(std::string_view text, std::string_view label) {
    const std::size_t at = text.find(label);
    if (at == std::string_view::npos) return std::nullopt;
    const char* first = text.data() + at + label.size();
    double value = 0;
    const auto [stop, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || stop == first) return std::nullopt;
    return value;
}

// A settings line of the start-up text (or of M503): "echo:  M203 X300.00 Y300.00 …".
std::optional<motion::GcodeLine> settingsLine(std::string_view line) {
    constexpr std::string_view kEcho = "echo:";
    if (line.substr(0, kEcho.size()) != kEcho) return std::nullopt;
    line.remove_prefix(std::min(line.find_first_not_of(' ', kEcho.size()), line.size()));
    if (line.substr(0, 3) != "M20") return std::nullopt;
    return motion::parseGcode(line);
}

}  // namespace

std::optional<motion::Axes> positionReport(std::string_view line) {
    if (line.substr(0, 2) != "X:") return std::nullopt;
    // What follows "Count" is in steps.
    line = line.substr(0, line.find(" Count"));
    const std::optional<double> y = numberAfter(line, " Y:");
    const std::optional<double> z = numberAfter(line, " Z:");
    const std::optional<double> e = numberAfter(line, " E:");
    if (!y || !z || !e) return std::nullopt;
    return motion::Axes{*y, *z, *e};
}

void ControllerWatch::feed(std::string_view bytes) {
    take(bytes, false);
}

void ControllerWatch::startUp(std::string_view bytes) {
    take(bytes, true);
}

void ControllerWatch::take(std::string_view bytes, bool startingUp) {
    if (bytes.empty()) return;
    tail_ += bytes;
    if (tail_.find(kDateMark) != std::string::npos) {
        // A start-up text begins: the board's own settings follow it.
        if (!startingUp) restarted_ = true;
        limits_ = motion::Limits{};
    }
    if (tail_.size() >= kDateMark.size()) tail_.erase(0, tail_.size() - (kDateMark.size() - 1));
    for (char c : bytes) {
        if (c == '\n' || c == '\r') {
            endLine();
        } else if (line_.size() < kLongestLine) {
            line_ += c;
        }
    }
}

void ControllerWatch::endLine() {
    constexpr std::string_view kError = "Error:";
    const std::string_view line = line_;
    if (!halt_ && line.substr(0, kError.size()) == kError) halt_ = line_.substr(kError.size());
    if (auto at = positionReport(line)) {
        report_ = lastReport_ = *at;
        ++reports_;
    }
    if (auto settings = settingsLine(line)) limits_.take(*settings);
    line_.clear();
}

}  // namespace tarvel
