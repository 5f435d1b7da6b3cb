// The contract on Windows: a real window driven through the system's own input, a real COM port
// with controller-sim on the pseudo-terminal behind it, real files. The port is the one the test
// run names (TARVEL_CONTRACT_PORT, with the simulator's log in TARVEL_CONTRACT_LOG).
#include <windows.h>

#include <dbt.h>

#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <sstream>

#include "contract/platform_contract.h"
#include "fakes/printing.h"
#include "win32/child_ids.h"
#include "win32/text.h"
#include "win32/win32_clock.h"
#include "win32/win32_files.h"
#include "win32/win32_serial.h"
#include "win32/win32_window.h"

namespace tarvel::contract {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The lines of the simulator's log that it received, as their bytes ("RX G0 Y1\r\n").
std::vector<std::string> receivedIn(const std::string& log) {
    std::vector<std::string> lines;
    std::ifstream in(log, std::ios::binary);
    for (std::string entry; std::getline(in, entry);) {
        std::istringstream fields(entry);
        std::string time, kind;
        fields >> time >> kind;
        if (kind != "RX") continue;
        const std::string text = entry.substr(entry.find("RX ") + 3);
        std::string line;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\\' || i + 1 >= text.size()) {
                line += text[i];
                continue;
            }
            const char e = text[++i];
            if (e == 'r') line += '\r';
            if (e == 'n') line += '\n';
            if (e == '\\') line += '\\';
            if (e == 'x') {
                line += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

void send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT keyInput(WORD key, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = scan;
    in.ki.dwFlags = flags;
    return in;
}

class Win32Platform final : public PlatformUnderTest {
  public:
    explicit Win32Platform(win32::PendingRead reads = win32::PendingRead::Learnt)
        : window_(GetModuleHandleW(nullptr)),
          port_(reads),
          port_name_(environment("TARVEL_CONTRACT_PORT")),
          log_(environment("TARVEL_CONTRACT_LOG")) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ =
            win32::narrow(temp) + "tarvel-contract-" + std::to_string(GetTickCount64()) + "\\";
        CreateDirectoryW(win32::widen(folder_).c_str(), nullptr);
        linesBefore_ = receivedIn(log_).size();
    }
    ~Win32Platform() override { RemoveDirectoryW(win32::widen(folder_).c_str()); }

    Window& window() override { return window_; }
    SerialPort& port() override { return port_; }
    Files& files() override { return files_; }
    Clock& clock() override { return clock_; }

    // A click of the mouse at the middle of the control, as the operator makes it.
    void click(ControlId id) override {
        SetForegroundWindow(window_.handle());
        RECT r{};
        GetWindowRect(GetDlgItem(window_.handle(), win32::childId(id)), &r);
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        INPUT in[3] = {};
        for (INPUT& i : in)
            i.type = INPUT_MOUSE;
        in[0].mi.dx = x * 65536 / GetSystemMetrics(SM_CXSCREEN);
        in[0].mi.dy = y * 65536 / GetSystemMetrics(SM_CYSCREEN);
        in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        send({in[0], in[1], in[2]});
    }

    // Each character by its key on the keyboard, or as a character of its own where it has none.
    void type(std::string_view text) override {
        for (wchar_t c : win32::widen(text)) {
            const SHORT scan = VkKeyScanW(c);
            if (scan == -1) {
                send({keyInput(0, c, KEYEVENTF_UNICODE),
                      keyInput(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)});
                continue;
            }
            const WORD key = LOBYTE(scan);
            std::vector<INPUT> strokes;
            if (HIBYTE(scan) & 1) strokes.push_back(keyInput(VK_SHIFT, 0, 0));
            strokes.push_back(keyInput(key, 0, 0));
            strokes.push_back(keyInput(key, 0, KEYEVENTF_KEYUP));
            if (HIBYTE(scan) & 1) strokes.push_back(keyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP));
            send(strokes);
        }
    }

    void pressTab() override {
        send({keyInput(VK_TAB, 0, 0), keyInput(VK_TAB, 0, KEYEVENTF_KEYUP)});
    }

    std::string portName() override { return port_name_; }
    // Those of this test only: the simulator's log holds the earlier tests' too.
    std::vector<std::string> receivedLines() override {
        std::vector<std::string> lines = receivedIn(log_);
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(
                                                       std::min(linesBefore_, lines.size())));
        return lines;
    }
    int ansiCodePage() override { return static_cast<int>(GetACP()); }

    // The system's broadcast, as the window hears it when a USB adapter is pulled.
    void announceRemoval(int comNumber) override {
        const std::wstring name = L"COM" + std::to_wstring(comNumber);
        std::vector<unsigned char> bytes(sizeof(DEV_BROADCAST_PORT_W) +
                                         (name.size() + 1) * sizeof(wchar_t));
        auto* port = reinterpret_cast<DEV_BROADCAST_PORT_W*>(bytes.data());
        port->dbcp_size = static_cast<DWORD>(bytes.size());
        port->dbcp_devicetype = DBT_DEVTYP_PORT;
        std::wcscpy(port->dbcp_name, name.c_str());
        SendMessageW(window_.handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                     reinterpret_cast<LPARAM>(bytes.data()));
    }

    std::string folder() override { return folder_; }
    void setReadOnly(const std::string& path, bool readOnly) override {
        SetFileAttributesW(win32::widen(path).c_str(),
                           readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    }

  private:
    win32::Win32Clock clock_;
    win32::Win32Window window_;
    win32::Win32SerialPort port_;
    win32::Win32Files files_;
    std::string port_name_, log_, folder_;
    std::size_t linesBefore_ = 0;
};

std::unique_ptr<PlatformUnderTest> makeWin32() {
    return std::make_unique<Win32Platform>();
}

// The port as it works where a read of what has come ends at once with nothing (Windows): Wine's
// port does the same with the reads asked for.
std::unique_ptr<PlatformUnderTest> makeWin32FirstByteReads() {
    return std::make_unique<Win32Platform>(win32::PendingRead::FirstByte);
}

INSTANTIATE_TEST_SUITE_P(Win32, PlatformContract, ::testing::Values(&makeWin32));
INSTANTIATE_TEST_SUITE_P(Win32, PortContract,
                         ::testing::Values(&makeWin32, &makeWin32FirstByteReads));

}  // namespace
}  // namespace tarvel::contract
