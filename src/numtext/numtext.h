// Conversions between the texts the operator sees (fields, files, G-code words, the readout)
// and the program's numbers. Every function is pure and ignores the process locale: the
// decimal separator is always "." and there is never digit grouping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvel {

// The integer text form: "-" for negatives, no "+", no leading zeros, no grouping.
std::string FormatInteger(std::int64_t value);

// The real text form: "%.10f" of the single value widened to double, trailing zeros (and then a
// bare ".") removed; "+Infinity", "-Infinity", "NaN" for the special values.
std::string FormatReal(float value);

// Reads the longest leading decimal number (after optional white space and sign), rounded to
// the nearest single. The whole texts "+Infinity", "-Infinity", "NaN" (any letter case) give
// the special values; a text without a number gives 0.
float ParseReal(std::string_view text);

// Reads an optionally signed decimal, "$" hexadecimal or "%" binary integer after spaces and
// tabs; accumulates in unsigned 64-bit arithmetic that wraps and stops at the first non-digit.
std::int64_t ParseInteger(std::string_view text);

enum class IntegerWidth { Bits32, Bits64 };

// Nearest integer, exact halves to the even neighbour. NaN, infinities and results outside the
// signed range of the width give the most negative value of that width.
std::int64_t RoundToInteger(double value, IntegerWidth width);

}  // namespace tarvel
