// Property check: random field sets through every operation that builds a line; no word that
// reaches the controller may be non-finite, beyond the signed 32-bit range or -2147483648.
//   property-check [SETS] [SEED]     prints the counts; exit code 1 when any line was bad
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "fuzz/rig.h"

namespace {

using tarvel::rig::Inputs;

const char* const kTexts[] = {
    "",
    "0",
    "-0",
    "1",
    "7",
    "12",
    "24",
    "40",
    "50",
    "5",
    "10",
    "2.5",
    "NaN",
    "nan",
    "+Infinity",
    "-Infinity",
    "Infinity",
    "1e39",
    "-1e39",
    "3.4e38",
    "1e-45",
    "$FFFFFFFF",
    "$FFFFFFFFFFFFFFFF",
    "%101",
    "2147483647",
    "2147483648",
    "-2147483648",
    "-2147483649",
    "4294967296",
    "5368709120",
    "9223372036854775807",
    "99999999999999999999999",
    "0.0000001",
    "Обмотка",
    "12abc",
    " 7",
    "\t-3",
    "1.5.3",
    "0x10",
    "-$10",
    "360",
};

std::string randomNumber(std::mt19937_64& rng) {
    std::uniform_int_distribution<int> kind(0, 2), digits(0, 24), sign(0, 1);
    std::string text = sign(rng) ? "-" : "";
    const int n = digits(rng) + 1;
    for (int i = 0; i < n; ++i)
        text += static_cast<char>('0' + rng() % 10);
    if (kind(rng) == 1) text += "." + std::to_string(rng() % 100000);
    if (kind(rng) == 2) text += "e" + std::to_string(static_cast<int>(rng() % 90) - 45);
    return text;
}

std::string randomText(std::mt19937_64& rng) {
    if (rng() % 3 == 0) return randomNumber(rng);
    return kTexts[rng() % std::size(kTexts)];
}

float randomPosition(std::mt19937_64& rng) {
    switch (rng() % 3) {
        case 0:
            return 0.0f;
        case 1:
            return static_cast<float>(static_cast<int>(rng() % 2001) - 1000) / 2.0f;
        default: {
            const double mantissa = static_cast<double>(rng() % 1000);
            const int exponent = static_cast<int>(rng() % 40);
            const float magnitude = static_cast<float>(std::ldexp(mantissa, exponent));
            return rng() % 2 ? magnitude : -magnitude;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long sets = argc > 1 ? std::atol(argv[1]) : 20000;
    std::mt19937_64 rng(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20261208);
    tarvel::rig::Tally tally;
    for (long n = 0; n < sets; ++n) {
        Inputs inputs;
        for (std::string& field : inputs.fields)
            field = randomText(rng);
        inputs.windingSpeed = static_cast<int>(rng() % 10) + 1;
        inputs.stakingPower = static_cast<int>(rng() % 10) + 1;
        inputs.lastWound = static_cast<int>(rng() % 5);
        for (float& p : inputs.position)
            p = randomPosition(rng);
        tarvel::rig::runAll(inputs, tally);
    }
    std::printf(
        "%ld field sets, %ld operations: %ld sent lines, %ld refused with a message, "
        "%ld had nothing to do; %ld lines, %ld with an unsendable word\n",
        sets, tally.operations, tally.sent, tally.refused, tally.silent, tally.lines,
        tally.badLines);
    if (tally.badLines > 0) std::printf("first bad line: %s", tally.firstBadLine.c_str());
    return tally.badLines > 0 ? 1 : 0;
}
