// A G-code line as the controller reads it: its command ("G0", "M201") and the words after it.
// The program builds its lines itself; this reading is for those who take them in: the motion
// model, the practice controller, and the link noting what the controller was told.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvel::motion {

struct GcodeLine {
    char letter = 0;  // 'G' or 'M'; 0 when the line holds no command
    int number = -1;
    // By letter, a bit each: the letters seen with or without a number, and those a finite
    // number followed (its value in `values`). Every line the program sends is read, so kept
    // small.
    std::uint32_t seen = 0;
    std::uint32_t numbered = 0;
    std::array<double, 26> values{};

    bool is(char l, int n) const { return letter == l && number == n; }
    bool has(char l) const { return (seen >> (l - 'A')) & 1u; }
    std::optional<double> word(char l) const {
        if (!((numbered >> (l - 'A')) & 1u)) return std::nullopt;
        return values[static_cast<std::size_t>(l - 'A')];
    }
};

// Reads one line: letters in either case, spaces anywhere between words, a number after a
// letter with an optional sign and fraction; ";" starts a comment. "G0 Y5F1500" holds Y 5 and
// F 1500; "G28 Z Y" names Z and Y without numbers.
GcodeLine parseGcode(std::string_view line);

}  // namespace tarvel::motion
