// tarvel-plan: the command line of the plan.
//
//   tarvel-plan PROFILE [--gcode | --seconds] [--speed 1-10] [--power 1-10] [--svg FILE]
//               [--html FILE]
//
// Without --gcode or --seconds it prints the report; --svg writes the pictures, --html the page.
// Exit status 0; 2 when the profile cannot be read, when the program would refuse it (its own
// message names the field), or when the command line is wrong; 3 when the program went wrong on
// the way (a wait that never ends), so that no plan is trusted that was cut short.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/console.h"

namespace tarvel::plan {

// `args` without the program's name, as UTF-8.
int runPlanTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Started from Explorer with a profile and nothing else: the page of the plan goes beside the
// profile (PROFILE.html; into the temporary folder when that place cannot be written) and opens
// in the browser; what the console would have said (a refusal, a file that cannot be read) comes
// in a message instead. The exit status is runPlanTool's.
int runFromExplorer(const std::string& profile, Desktop& desktop);

}  // namespace tarvel::plan
