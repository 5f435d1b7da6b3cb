#include "motion/gcode_words.h"

#include <charconv>
#include <cmath>

namespace tarvel::motion {
namespace {

constexpr double kLargestNumber = 1e12;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The number at `at`, if one starts there; `at` moves past whatever was read. Whole numbers, the
// words of nearly every line, are read digit by digit; a fraction by the library.
std::optional<double> readNumber(std::string_view text, std::size_t& at) {
    std::size_t end = at;
    bool negative = false;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) negative = text[end++] == '-';
    const std::size_t digits = end;
    double value = 0;
    while (end < text.size() && isDigit(text[end]) && end - digits < 13)
        value = value * 10 + (text[end++] - '0');
    if (end < text.size() && (isDigit(text[end]) || text[end] == '.')) {
        while (end < text.size() && (isDigit(text[end]) || text[end] == '.'))
            ++end;
        const auto [stop, error] = std::from_chars(text.data() + digits, text.data() + end, value);
        if (error != std::errc()) value = kLargestNumber * 2;
        end = static_cast<std::size_t>(stop - text.data());
    }
    if (end == digits) return std::nullopt;
    at = end;
    // Far beyond any axis: a number no controller takes (and sums of them stay finite).
    if (!(value <= kLargestNumber)) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace

GcodeLine parseGcode(std::string_view line) {
    GcodeLine result;
    std::size_t at = 0;
    while (at < line.size() && line[at] != ';') {
        const char letter = upper(line[at++]);
        if (letter < 'A' || letter > 'Z') continue;
        const std::optional<double> number = readNumber(line, at);
        if (result.letter == 0 && (letter == 'G' || letter == 'M')) {
            if (!number || *number < 0 || *number > 9999) return result;
            result.letter = letter;
            result.number = static_cast<int>(*number);
            continue;
        }
        const int index = letter - 'A';
        result.seen |= 1u << index;
        result.numbered &= ~(1u << index);  // the last of a letter counts
        if (!number) continue;
        result.numbered |= 1u << index;
        result.values[static_cast<std::size_t>(index)] = *number;
    }
    return result;
}

}  // namespace tarvel::motion
