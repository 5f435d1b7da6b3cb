// A rig that runs every operation that builds a G-code line (the section cycles, staking, the
// start position, the jogs and rotation buttons, the set-up commands and "ДАЛЕЕ") over
// in-memory fakes, with field texts from a fuzzer or a random generator, and checks every word
// that reaches the port: each number must be finite and within the signed 32-bit range, and
// never -2147483648. Long operations are cut short by СТОП after a number of lines, as an
// operator would, which also runs the cycles' way to their end without sending.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "ui/control_ids.h"

namespace tarvel::rig {

// The first word of `line` whose number the controller cannot take, or empty when none.
std::string unsendableWord(std::string_view line);

// The fields the operations read.
inline constexpr ControlId kFields[] = {
    ctl::kCoreHeight,    ctl::kCoreDiameter,  ctl::kSlotCount,     ctl::kSlotDepth,
    ctl::kSlotWidth,     ctl::kPoles,         ctl::kTurns,         ctl::kCommutatorDistance,
    ctl::kBarCount,      ctl::kDirection,     ctl::kLayingOrder,   ctl::kSectionTurns1,
    ctl::kSectionTurns2, ctl::kSectionTurns3, ctl::kSectionTurns4, ctl::kRotationBefore,
    ctl::kRotationAfter,
};

struct Tally {
    long operations = 0;
    long sent = 0;     // operations that sent at least one line
    long refused = 0;  // operations that sent nothing and told the operator why
    long silent = 0;   // operations with nothing to do (ДАЛЕЕ before a section, no bars, ...)
    long lines = 0;
    long badLines = 0;  // lines with an unsendable word: must stay 0
    std::string firstBadLine;
};

struct Inputs {
    std::array<std::string, std::size(kFields)> fields;
    int windingSpeed = 8;    // 1 to 10
    int stakingPower = 1;    // 1 to 10
    int lastWound = 0;       // 0 to 4
    float position[3] = {};  // height, length, rotation
};

// Runs every operation once for one set of inputs and adds what happened to `tally`.
void runAll(const Inputs& inputs, Tally& tally);

}  // namespace tarvel::rig
