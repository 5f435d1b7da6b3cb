// ParseInteger and ParseReal against references written from the rules, and the round trips
// of FormatInteger and FormatReal.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/check.h"
#include "numtext/numtext.h"

namespace {

std::int64_t referenceParseInteger(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t'))
        ++i;
    const bool negative = i < t.size() && t[i] == '-';
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    int base = 10;
    if (i < t.size() && (t[i] == '$' || t[i] == '%')) base = t[i++] == '$' ? 16 : 2;
    std::uint64_t value = 0;
    for (; i < t.size(); ++i) {
        const char* digits = "0123456789abcdef";
        const char* at = std::strchr(digits, t[i] >= 'A' && t[i] <= 'F' ? t[i] + 32 : t[i]);
        if (t[i] == '\0' || !at || at - digits >= base) break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(at - digits);
    }
    return static_cast<std::int64_t>(negative ? ~value + 1 : value);
}

bool sameWordIgnoringCase(std::string_view t, const char* word) {
    if (t.size() != std::strlen(word)) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char a = t[i] >= 'A' && t[i] <= 'Z' ? static_cast<char>(t[i] + 32) : t[i];
        const char b = word[i] >= 'A' && word[i] <= 'Z' ? static_cast<char>(word[i] + 32) : word[i];
        if (a != b) return false;
    }
    return true;
}

// The longest leading decimal number, handed to the C library's correctly rounding strtof.
float referenceParseReal(std::string_view t) {
    if (sameWordIgnoringCase(t, "+Infinity")) return HUGE_VALF;
    if (sameWordIgnoringCase(t, "-Infinity")) return -HUGE_VALF;
    if (sameWordIgnoringCase(t, "NaN")) return NAN;
    auto digit = [&](std::size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    std::size_t i = 0;
    while (i < t.size() && std::strchr(" \t\n\v\f\r", t[i]) && t[i] != '\0')
        ++i;
    const std::size_t start = i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; digit(i); ++i)
        ++digits;
    if (i < t.size() && t[i] == '.' && (digits > 0 || digit(i + 1)))
        for (++i; digit(i); ++i)
            ++digits;
    if (digits == 0) return 0.0f;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        if (digit(j)) {
            while (digit(j))
                ++j;
            i = j;
        }
    }
    return std::strtof(std::string(t.substr(start, i - start)).c_str(), nullptr);
}

std::string referenceFormatReal(float f) {
    if (std::isnan(f)) return "NaN";
    if (std::isinf(f)) return f > 0 ? "+Infinity" : "-Infinity";
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%.10f", f == 0.0f ? 0.0 : static_cast<double>(f));
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

bool sameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvel;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TARVEL_CHECK(ParseInteger(text) == referenceParseInteger(text), text);
    TARVEL_CHECK(sameFloat(ParseReal(text), referenceParseReal(text)), text);
    if (size >= 8) {
        std::int64_t v;
        std::memcpy(&v, data, 8);
        TARVEL_CHECK(FormatInteger(v) == std::to_string(v), text);
        TARVEL_CHECK(ParseInteger(FormatInteger(v)) == v, text);
    }
    if (size >= 4) {
        float f;
        std::memcpy(&f, data, 4);
        const std::string written = FormatReal(f);
        TARVEL_CHECK(written == referenceFormatReal(f), written);
        // Ten decimals carry every digit a single needs from 0.1 up.
        if (std::isinf(f) || (std::isfinite(f) && (std::fabs(f) >= 0.1f || f == 0.0f)))
            TARVEL_CHECK(ParseReal(written) == f, written);
    }
    return 0;
}
