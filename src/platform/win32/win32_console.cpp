#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

#include "platform/console.h"
#include "platform/win32/text.h"

namespace tarvel {
namespace {

struct LocalFreer {
    void operator()(LPWSTR* memory) const { LocalFree(memory); }
};

}  // namespace

// The arguments as typed, Cyrillic file names included: not the ANSI copy in argv.
std::vector<std::string> commandLineArguments(int, char**) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(win32::narrow(wide.get()[i]));
    return args;
}

void prepareStandardOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

}  // namespace tarvel
