// tarvel-plan: the command line of the plan.
//
//   tarvel-plan PROFILE [--gcode | --seconds] [--speed N] [--power N] [--svg FILE]
//
// Without --gcode or --seconds it prints the report. Exit status 0; 2 when the profile cannot be
// read, when the program would refuse it (its own message names the field), or when the command
// line is wrong.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tarvel::plan {

// `args` without the program's name, as UTF-8.
int runPlanTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tarvel::plan
