#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

#include "platform/console.h"
#include "win32/text.h"

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

// A console of our own alone: Explorer's start. One shared with the command prompt lists that
// too; Wine's terminal gives none at all.
bool startedWithoutConsole() {
    DWORD processes[2] = {};
    if (GetConsoleProcessList(processes, 2) != 1) return false;
    FreeConsole();
    return true;
}

namespace {

constexpr wchar_t kTitle[] = L"Tarvel Plan";

class Win32Desktop final : public Desktop {
  public:
    bool open(const std::string& path, std::string& why) override {
        const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
            nullptr, L"open", win32::widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return true;
        // Below 33 ShellExecute gives an old error number; the system's words say it better.
        why =
            win32::systemMessage(result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : GetLastError());
        return false;
    }
    void tell(const std::string& message) override {
        MessageBoxW(nullptr, win32::widen(message).c_str(), kTitle, MB_OK | MB_ICONWARNING);
    }
};

}  // namespace

Desktop& desktop() {
    static Win32Desktop windows;
    return windows;
}

}  // namespace tarvel
