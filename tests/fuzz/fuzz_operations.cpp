// Every operation that builds a line, with field texts from the fuzzer: no word that reaches
// the controller may be non-finite, beyond the signed 32-bit range or -2147483648.
//
// Input: six bytes of settings (winding speed, staking power, last wound section, and the
// tracked position as three bytes of magnitude), then the field texts separated by line feeds.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz/check.h"
#include "fuzz/rig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvel::rig;
    if (size < 6) return 0;
    Inputs inputs;
    inputs.windingSpeed = data[0] % 10 + 1;
    inputs.stakingPower = data[1] % 10 + 1;
    inputs.lastWound = data[2] % 5;
    for (int i = 0; i < 3; ++i) {
        const int b = data[3 + i];
        inputs.position[i] =
            static_cast<float>(std::ldexp(b & 1 ? -1.0 : 1.0, b >> 2) * (b & 2 ? 1.5 : 1));
    }
    std::string_view rest(reinterpret_cast<const char*>(data) + 6, size - 6);
    for (std::string& field : inputs.fields) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        field = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    Tally tally;
    runAll(inputs, tally);
    TARVEL_CHECK(tally.badLines == 0, tally.firstBadLine);
    return 0;
}
