#include "platform/console.h"

namespace tarvel {

// Arguments arrive as UTF-8 and standard output translates nothing.
std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareStandardOutput() {}

}  // namespace tarvel
