// tarvel-plan: the plan of a whole piece of work from a profile, before the machine moves.
#include <iostream>

#include "plan/plan_tool.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = tarvel::commandLineArguments(argc, argv);
    if (args.size() == 1 && tarvel::startedWithoutConsole())
        return tarvel::plan::runFromExplorer(args.front(), tarvel::desktop());
    tarvel::prepareStandardOutput();
    return tarvel::plan::runPlanTool(args, std::cout, std::cerr);
}
