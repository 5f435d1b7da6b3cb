// Windows tells every top-level window when the device of a COM port is removed, and some USB
// serial drivers say nothing else: the real window hears it, idle or in the wait for an "ok",
// and the program acts as for a pulled cable.
#include <windows.h>
// After windows.h, which it needs.
#include <dbt.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "fakes/printing.h"
#include "memory/memory_files.h"
#include "memory/memory_power.h"
#include "memory/memory_serial.h"
#include "memory/memory_window.h"
#include "ui/control_table.h"
#include "win32/child_ids.h"
#include "win32/text.h"
#include "win32/win32_window.h"

namespace tarvel::win32 {
namespace {

// Reads and closes the program's message boxes from a thread of its own, as an operator who
// presses OK.
class MessageBoxes {
  public:
    MessageBoxes() : thread_([this] { watch(); }) {}
    ~MessageBoxes() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> texts() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

  private:
    static BOOL CALLBACK visit(HWND hwnd, LPARAM self) {
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        wchar_t cls[16] = {};
        GetClassNameW(hwnd, cls, 16);
        if (process == GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
            IsWindowVisible(hwnd))
            reinterpret_cast<MessageBoxes*>(self)->answer(hwnd);
        return TRUE;
    }
    void answer(HWND box) {
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the text of a message box
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(narrow(text));
        }
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    void watch() {
        while (!stop_) {
            EnumWindows(visit, reinterpret_cast<LPARAM>(this));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

// The system's broadcast, sent from another thread as the system sends it; returns once the
// window has taken it.
std::thread announceRemoval(HWND window, const wchar_t* portName) {
    std::vector<unsigned char> bytes(sizeof(DEV_BROADCAST_PORT_W) + 16 * sizeof(wchar_t));
    auto* port = reinterpret_cast<DEV_BROADCAST_PORT_W*>(bytes.data());
    port->dbcp_size = static_cast<DWORD>(bytes.size());
    port->dbcp_devicetype = DBT_DEVTYP_PORT;
    wcscpy(port->dbcp_name, portName);
    return std::thread([window, bytes = std::move(bytes)] {
        SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                     reinterpret_cast<LPARAM>(bytes.data()));
    });
}

class Win32PortRemoval : public ::testing::Test {
  protected:
    void SetUp() override {
        // Answers the zero line of the connection; a line after it waits for ever, as on a
        // driver that keeps a removed device's handle open without an error.
        port.devices["COM3"] = memory::controller(memory::controllerIdentification());
        port.devices["COM3"].onWrite = [this](memory::MemoryDevice& d, const std::string&) {
            if (++writes == 1) d.arrive("ok\n");
        };
        ASSERT_TRUE(app.startUp());
        ASSERT_TRUE(port.isOpen());
    }
    HWND control(ControlId id) { return GetDlgItem(window.handle(), win32::childId(id)); }
    // Main loop passes (each waits at most 20 ms) until the port is closed; how many it took.
    int passesUntilClosed(int most) {
        for (int pass = 1; pass <= most; ++pass) {
            app.mainLoopPass();
            if (!port.isOpen()) return pass;
        }
        return most + 1;
    }
    void expectDisconnected() {
        EXPECT_EQ(window.text(ctl::kStatus), "Не подключен");
        for (ControlId id : machineControls())
            EXPECT_FALSE(IsWindowEnabled(control(id))) << id;
    }

    Win32Window window{GetModuleHandleW(nullptr)};
    memory::MemorySerialPort port;
    memory::MemoryClock clock;
    memory::MemoryPower power;
    memory::MemoryFiles files;
    memory::MemoryFileDialogs dialogs;
    App app{window, port, clock, power, files, dialogs};
    std::atomic<int> writes{0};
};

// Idle first; then, with the controller plugged in again and found by "Обновить", in the wait
// for the "ok" of a jog.
TEST_F(Win32PortRemoval, IdleAndInTheWaitForAnOk) {
    MessageBoxes boxes;
    std::thread other = announceRemoval(window.handle(), L"com4");  // another port's device
    std::thread ours = announceRemoval(window.handle(), L"com3");
    // Within a second of main loop passes.
    EXPECT_LE(passesUntilClosed(50), 50);
    other.join();
    ours.join();
    expectDisconnected();
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_NE(boxes.texts()[0].find("Программа в это время ничего не отправляла"),
              std::string::npos)
        << boxes.texts()[0];

    writes = 0;
    PostMessageW(control(ctl::kRefresh), BM_CLICK, 0, 0);
    for (int pass = 0; pass < 50 && !port.isOpen(); ++pass)
        app.mainLoopPass();
    ASSERT_EQ(window.text(ctl::kStatus), "Подключен");
    std::thread pulled([this] {
        while (writes < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the line waits
        announceRemoval(window.handle(), L"COM3").join();
    });
    PostMessageW(control(ctl::kJogLengthUp), BM_CLICK, 0, 0);  // ▲: "G0 Y5F1500"
    EXPECT_LE(passesUntilClosed(100), 100);
    pulled.join();
    expectDisconnected();
    ASSERT_EQ(boxes.texts().size(), 2u);
    EXPECT_NE(boxes.texts()[1].find("Строка «G0 Y5F1500» могла не выполниться"), std::string::npos)
        << boxes.texts()[1];
}

}  // namespace
}  // namespace tarvel::win32
