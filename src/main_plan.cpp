// tarvel-plan: the plan of a whole piece of work from a profile, before the machine moves.
#include <iostream>

#include "plan/plan_tool.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    tarvel::prepareStandardOutput();
    return tarvel::plan::runPlanTool(tarvel::commandLineArguments(argc, argv), std::cout,
                                     std::cerr);
}
