// window-probe: a test tool that prints, as JSON, what the operator program's window holds right
// now: where its client area lies on the screen and how large it is, and the window's frame; for
// every control its rectangle in the client area, text, position (progress bars and
// trackbars), enabled and visible state; which control has the keyboard focus; and the message
// boxes the window has open, with their texts and buttons in screen coordinates. Without the
// window, only the message boxes that belong to no window (a start that failed says why in one).
//
// It runs as a process of its own, so texts are asked for with WM_GETTEXT (GetWindowText does
// not ask another process's edit controls), each with a time-out so a busy program cannot hold
// the probe.
//
// `window-probe --hold` instead keeps the Wine session's desktop up for the tests (see
// holdDesktop), and answers each line "probe" on its standard input with one probe's JSON line:
// starting a Wine process takes over a second, a line a few milliseconds.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "win32/child_ids.h"

namespace {

constexpr wchar_t kMainClass[] = L"TarvelSwMainWindow";
constexpr UINT kTimeoutMs = 2000;

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

LRESULT ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

std::string textOf(HWND hwnd) {
    const LRESULT length = ask(hwnd, WM_GETTEXTLENGTH);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ask(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return utf8(buffer);
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::string rectJson(RECT r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right - r.left,
                  r.bottom - r.top);
    return buffer;
}

std::string controlJson(HWND main, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    const std::wstring cls = classOf(control);
    LRESULT position = -1;
    if (_wcsicmp(cls.c_str(), PROGRESS_CLASSW) == 0) position = ask(control, PBM_GETPOS);
    if (_wcsicmp(cls.c_str(), TRACKBAR_CLASSW) == 0) position = ask(control, TBM_GETPOS);
    return "{\"rect\": " + rectJson(r) + ", \"text\": " + quoted(textOf(control)) +
           ", \"class\": " + quoted(utf8(cls)) + ", \"position\": " + std::to_string(position) +
           ", \"enabled\": " + (IsWindowEnabled(control) ? "true" : "false") +
           ", \"visible\": " + (IsWindowVisible(control) ? "true" : "false") + "}";
}

struct Dialogs {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK collectDialog(HWND hwnd, LPARAM param) {
    auto* dialogs = reinterpret_cast<Dialogs*>(param);
    if (classOf(hwnd) == L"#32770" && GetWindow(hwnd, GW_OWNER) == dialogs->owner &&
        IsWindowVisible(hwnd))
        dialogs->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string dialogJson(HWND dialog) {
    std::string text, buttons;
    for (HWND child : childrenOf(dialog)) {
        const std::wstring cls = classOf(child);
        if (_wcsicmp(cls.c_str(), L"Static") == 0 && !textOf(child).empty()) text += textOf(child);
        if (_wcsicmp(cls.c_str(), L"Button") == 0 && IsWindowVisible(child)) {
            RECT r{};
            GetWindowRect(child, &r);
            buttons += std::string(buttons.empty() ? "" : ", ") +
                       "{\"text\": " + quoted(textOf(child)) + ", \"screen\": " + rectJson(r) + "}";
        }
    }
    return "{\"title\": " + quoted(textOf(dialog)) + ", \"text\": " + quoted(text) +
           ", \"buttons\": [" + buttons + "]}";
}

std::string focusJson(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) || !info.hwndFocus ||
        GetParent(info.hwndFocus) != main)
        return "null";
    return std::to_string(GetDlgCtrlID(info.hwndFocus) - tarvel::win32::kChildIdBase);
}

// Ends the message loop of `thread` when the harness closes our standard input.
std::string probeJson(int& status);

// Answers every line of the standard input with a probe, until the input ends; then the holder
// ends.
DWORD WINAPI serveUntilEndOfInput(void* thread) {
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) &&
           read) {
        for (DWORD i = 0; i < read; ++i) {
            if (buffer[i] != '\n') continue;
            int status = 0;
            const std::string out = probeJson(status) + "\n";
            std::fwrite(out.data(), 1, out.size(), stdout);
            std::fflush(stdout);
        }
    }
    PostThreadMessageW(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(thread)), WM_QUIT, 0, 0);
    return 0;
}

// The first window of a fresh Wine session starts its desktop (explorer.exe). On a busy machine
// that start can fail and leave the first program with a desktop that is not there: its window
// cannot be created ("Invalid window handle"). The harness therefore starts the session with
// this: a hidden top-level window proves the desktop works ("ready"; else exit code 3), and,
// while it lives, the desktop outlives every program the test starts and ends.
int holdDesktop() {
    HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) {
        std::printf("no desktop (error %lu)\n", GetLastError());
        return 3;
    }
    std::puts("ready");
    std::fflush(stdout);
    const auto self = reinterpret_cast<void*>(static_cast<UINT_PTR>(GetCurrentThreadId()));
    HANDLE reader = CreateThread(nullptr, 0, serveUntilEndOfInput, self, 0, nullptr);
    MSG message;
    // Messages are answered, so that nobody who broadcasts to every window waits on us.
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    DestroyWindow(window);
    if (reader) CloseHandle(reader);
    return 0;
}

std::string probeJson(int& status) {
    status = 0;
    HWND main = FindWindowW(kMainClass, nullptr);
    if (!main) {
        // A program that could not make its window says why in a message box of its own.
        Dialogs dialogs{nullptr, {}};
        EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&dialogs));
        std::string out = "{\"dialogs\": [";
        for (std::size_t i = 0; i < dialogs.found.size(); ++i)
            out += (i ? ", " : "") + dialogJson(dialogs.found[i]);
        status = 1;
        return out + "]}";
    }
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    RECT client{};
    GetClientRect(main, &client);
    RECT frame{};
    GetWindowRect(main, &frame);
    std::string out = "{\"client\": [" + std::to_string(origin.x) + ", " +
                      std::to_string(origin.y) + "], \"clientSize\": [" +
                      std::to_string(client.right) + ", " + std::to_string(client.bottom) +
                      "], \"frame\": " + rectJson(frame) + ", \"focus\": " + focusJson(main) +
                      ", \"controls\": {";
    bool first = true;
    for (HWND control : childrenOf(main)) {
        if (GetParent(control) != main) continue;
        const int id = GetDlgCtrlID(control) - tarvel::win32::kChildIdBase;
        out += std::string(first ? "" : ", ") + "\"" + std::to_string(id) +
               "\": " + controlJson(main, control);
        first = false;
    }
    Dialogs dialogs{main, {}};
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&dialogs));
    out += "}, \"dialogs\": [";
    for (std::size_t i = 0; i < dialogs.found.size(); ++i)
        out += (i ? ", " : "") + dialogJson(dialogs.found[i]);
    return out + "]}";
}

}  // namespace

int main(int argc, char** argv) {
    // Rectangles as the program sees them, not mapped to 96 DPI for an unaware reader.
    SetProcessDPIAware();
    if (argc > 1 && std::string(argv[1]) == "--hold") return holdDesktop();
    int status = 0;
    const std::string out = probeJson(status) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return status;
}
