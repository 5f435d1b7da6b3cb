#include "numtext/numtext.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace tarvel {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool equalsIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char a = text[i];
        char b = word[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The decimal number at the start of `text` (no sign, no white space): its length in characters,
// 0 when there is none, and the power of ten of its first non-zero digit (to tell an overflow
// from an underflow when the value falls outside the float range).
struct DecimalSpan {
    std::size_t length = 0;
    long long leadingPower = 0;
};

DecimalSpan scanDecimal(std::string_view text) {
    std::size_t i = 0;
    std::size_t intDigits = 0;
    long long firstNonZero = -1;  // index among all mantissa digits
    long long digitsBeforePoint = 0;
    long long mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (firstNonZero < 0 && text[i] != '0') firstNonZero = mantissaDigits;
        ++i, ++intDigits, ++mantissaDigits;
    }
    digitsBeforePoint = mantissaDigits;
    std::size_t fracDigits = 0;
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        while (j < text.size() && isDigit(text[j])) {
            if (firstNonZero < 0 && text[j] != '0') firstNonZero = mantissaDigits;
            ++j, ++fracDigits, ++mantissaDigits;
        }
        if (intDigits + fracDigits > 0) i = j;
    }
    if (intDigits + fracDigits == 0) return {};
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) {
                if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (negative) exponent = -exponent;
            i = j;
        }
    }
    DecimalSpan span;
    span.length = i;
    span.leadingPower = firstNonZero < 0 ? 0 : exponent + digitsBeforePoint - 1 - firstNonZero;
    return span;
}

}  // namespace

std::string FormatInteger(std::int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatReal(float value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Infinity" : "-Infinity";
    if (value == 0.0f) value = 0.0f;  // negative zero prints as "0"
    // Large enough for the 39 integer digits of FLT_MAX, the point and 10 decimals.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                std::chars_format::fixed, 10);
    std::string text(buffer, result.ptr);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

float ParseReal(std::string_view text) {
    if (equalsIgnoringCase(text, "+Infinity")) return std::numeric_limits<float>::infinity();
    if (equalsIgnoringCase(text, "-Infinity")) return -std::numeric_limits<float>::infinity();
    if (equalsIgnoringCase(text, "NaN")) return std::numeric_limits<float>::quiet_NaN();

    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string_view rest = text.substr(i);
    DecimalSpan span = scanDecimal(rest);
    if (span.length == 0) return 0.0f;

    float magnitude = 0.0f;
    auto result = std::from_chars(rest.data(), rest.data() + span.length, magnitude,
                                  std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        magnitude = span.leadingPower >= 0 ? std::numeric_limits<float>::infinity() : 0.0f;
    } else if (result.ec != std::errc()) {
        magnitude = 0.0f;
    }
    return negative ? -magnitude : magnitude;
}

std::int64_t ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            break;
        }
        if (digit >= base) break;
        value = value * base + digit;  // wraps modulo 2^64 by design
    }
    if (negative) value = 0 - value;
    return static_cast<std::int64_t>(value);
}

std::int64_t RoundToInteger(double value, IntegerWidth width) {
    const bool narrow = width == IntegerWidth::Bits32;
    const std::int64_t invalid = narrow ? std::numeric_limits<std::int32_t>::min()
                                        : std::numeric_limits<std::int64_t>::min();
    if (!std::isfinite(value)) return invalid;

    double rounded = std::floor(value);
    const double fraction = value - rounded;  // exact: value and its floor share an exponent range
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;

    // Signed range of the width; both bounds are exact doubles.
    const double low = narrow ? -2147483648.0 : -9223372036854775808.0;
    const double highExclusive = narrow ? 2147483648.0 : 9223372036854775808.0;
    if (rounded < low || rounded >= highExclusive) return invalid;
    return static_cast<std::int64_t>(rounded);
}

}  // namespace tarvel
