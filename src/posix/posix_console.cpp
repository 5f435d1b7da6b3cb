#include "platform/console.h"

namespace tarvel {

// Arguments arrive as UTF-8 and standard output translates nothing.
std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareStandardOutput() {}

// A program started here always has the terminal or the pipe it was started from.
bool startedWithoutConsole() {
    return false;
}

Desktop& desktop() {
    // Never asked for: a start here has its console.
    class None final : public Desktop {
        bool open(const std::string&, std::string& why) override {
            why = "no desktop";
            return false;
        }
        void tell(const std::string&) override {}
    };
    static None none;
    return none;
}

}  // namespace tarvel
