// The plan of a piece of work in words, for whoever prepares profiles: in Russian, the
// program's language.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "plan/plan_work.h"

namespace tarvel::plan {

// What an operator would want to know before winding, where the program's rules tell it for
// sure: a step that will do nothing, a section without wire.
std::vector<std::string> planWarnings(const Plan& plan);

// The values as the program reads them, the steps with their lines and machine time, the
// totals, the motion model's constants and the warnings.
std::string planReport(const Plan& plan, std::string_view profileName);

// Seconds with three decimals, "." whatever the locale; and the same with its unit.
std::string decimalSeconds(double seconds);
std::string formatSeconds(double seconds);
// Whole minutes and seconds: "7:53".
std::string minutesAndSeconds(double seconds);
// An angle or a length to at most two decimals, "." whatever the locale: "5.71", "-4", "30".
std::string shortNumber(double value);
// "Паз 3", "Пазы 1–12".
std::string slotsCaption(const SlotGroup& group);
// The layout and the geometry of the work, a sentence a line.
std::vector<std::string> geometryLines(const Plan& plan);
// How the machine time is reckoned.
std::string modelNote();
// What ДАЛЕЕ sent: its lines, or that it sent nothing.
std::string nextLines(const Step& next);

}  // namespace tarvel::plan
