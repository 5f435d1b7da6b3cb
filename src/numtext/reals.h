// The program's number rules in one place, so every formula reads the same way:
//  - every stored real is a float; expressions are evaluated in double and rounded to float only
//    when stored (StoreReal) or handed to a math function;
//  - a real becomes an integer only through RoundToInteger (nearest, ties to even);
//  - a 64-bit integer stored into a 32-bit variable keeps its low 32 bits (LowBits32);
//  - integer division truncates toward zero (DivideTruncating, which never traps).
// The single-precision math functions are computed in double and rounded to float on the way in
// and out, so glibc and the Windows runtime give the same bits.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "numtext/numtext.h"

namespace tarvel {

inline float StoreReal(double value) {
    return static_cast<float>(value);
}

inline std::int32_t LowBits32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

inline std::int32_t RoundToInt32(double value) {
    return static_cast<std::int32_t>(RoundToInteger(value, IntegerWidth::Bits32));
}

inline std::int64_t RoundToInt64(double value) {
    return RoundToInteger(value, IntegerWidth::Bits64);
}

// Truncating division without the two traps of the hardware instruction: a zero divisor gives 0
// and the most negative value divided by -1 wraps to itself, as two's-complement arithmetic does.
inline std::int64_t DivideTruncating(std::int64_t a, std::int64_t b) {
    if (b == 0) return 0;
    if (b == -1) return static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(a));
    return a / b;
}

inline float SingleAtan(float x) {
    return StoreReal(std::atan(static_cast<double>(x)));
}

inline float SingleDegrees(float radians) {
    return StoreReal(static_cast<double>(radians) * 57.29577951308232);
}

inline float SingleFmod(float x, float y) {
    return StoreReal(std::fmod(static_cast<double>(x), static_cast<double>(y)));
}

}  // namespace tarvel
