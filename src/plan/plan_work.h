// The whole piece of work that a profile makes the machine do, planned before the machine
// moves: the program itself, on the in-memory platform, with an operator who presses the
// buttons in the order of the work. What it reports is what the program sends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winding/section_program.h"

namespace tarvel::plan {

struct Options {
    std::optional<int> speed;  // winding speed 1 to 10; the profile's when not given
    int power = 1;             // staking power 1 to 10
};

// One press of a button in the work, and what it sent.
struct Step {
    enum class Kind { StartPosition, Section, Next, Staking };
    Kind kind = Kind::StartPosition;
    int slot = 0;     // 1 to S for sections and ДАЛЕЕ
    int section = 0;  // 1 to 4 for sections
    std::int32_t turns = 0;
    std::int64_t lines = 0;
    double seconds = 0;                // machine time, by the motion model
    std::vector<std::string> shown{};  // the lines of ДАЛЕЕ, for the report
};

struct Plan {
    std::vector<Step> steps;
    // What the program told the operator; the work stops there, as a refusal.
    std::vector<std::string> messages;
    // What the in-memory platform found the program doing wrong (a wait that never ends, a read
    // that would block): the plan is not to be trusted.
    std::vector<std::string> faults;
    int speed = 0;
    int power = 0;
    std::int64_t slots = 0;  // КОЛИЧЕСТВО ПАЗОВ as the work reads it
    std::int32_t sectionCount = 0;
    float slotPitch = 0;
    CommonParameters parameters;
    SectionGeometry geometry;
    float rotationBefore = 0, rotationAfter = 0;
    std::int64_t bars = 0;
    std::int64_t direction = 0;
    std::int64_t layingOrder = 0;
    std::int32_t turns[4] = {};
    struct Field {
        std::string caption, text, reading;  // the reading the work takes of the text
    };
    std::vector<Field> fields;

    std::int64_t lines() const;
    double seconds() const;
};

// Consecutive slots whose sections and ДАЛЕЕ are the same (turns, lines, the lines of ДАЛЕЕ, and
// the machine time to the millisecond): one row of the plan instead of one for each slot.
struct SlotGroup {
    int firstSlot = 0, lastSlot = 0;
    std::vector<const Step*> steps;  // the first slot's: its sections, then its ДАЛЕЕ

    std::int64_t lines = 0;  // of every slot of the group
    double seconds = 0;

    int slots() const { return lastSlot - firstSlot + 1; }
};

// The slots of the plan in groups, in order; the steps outside slots are not in any.
std::vector<SlotGroup> slotGroups(const Plan& plan);
// The step of this kind outside the slots (the start position, the staking), if the work got to it.
const Step* stepOf(const Plan& plan, Step::Kind kind);

// More slots than any armature has: the work is not planned.
inline constexpr std::int64_t kMostSlots = 1000;

// Plans the work of a profile's bytes. Every line sent goes to `line` (when given) as it is
// sent, "\r\n" included.
Plan planWork(std::string_view profileBytes, const Options& options,
              const std::function<void(std::string_view)>& line = {});

}  // namespace tarvel::plan
