// The main window on Windows: a plain top-level window with the common controls of the control
// table, and an event wait built on the thread's message queue.
#pragma once

#include <windows.h>

#include <array>
#include <deque>
#include <optional>
#include <string>

#include "platform/window.h"
#include "ui/control_table.h"
#include "ui/window_scale.h"
#include "win32/fonts.h"
#include "win32/handles.h"
#include "win32/win32_serial.h"

namespace tarvel::win32 {

class Win32Window final : public Window {
  public:
    // The operator program's window is titled with its name and version; the practice program's
    // says it is not the machine, and keeps `roomBeside` units at its right for the machine
    // window, where the screen has room for both.
    static constexpr const wchar_t* kTitle = L"Tarvel SW v. 1.0.2";
    explicit Win32Window(HINSTANCE instance, std::wstring title = kTitle, int roomBeside = 0);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    std::string create() override;
    void startTimer(int id, int periodMs) override;
    std::string text(ControlId id) const override;
    void setText(ControlId id, std::string_view text) override;
    int state(ControlId id) const override;
    void setState(ControlId id, int state) override;
    void enable(ControlId id, bool enabled) override;
    void show(ControlId id, bool visible) override;
    void setFrontColour(ControlId id, Rgb colour) override;
    void setBackColour(ControlId id, Rgb colour) override;
    void setTip(ControlId id, std::string_view text) override;
    void showMessage(std::string_view text) override;
    Answer ask(std::string_view question, Choices choices, Answer byDefault) override;
    Event waitForEvent(int timeoutMs) override;
    void watch(SerialPort& port) override;

    // The main window, once created (null before); file dialogs are owned by it.
    const HWND& handle() const { return hwnd_; }
    // The factor of the whole layout on this screen, once created.
    double scale() const { return scale_; }

  private:
    template <typename Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool registerClass();
    // What create() says when a step failed: the step and the system's reason.
    std::string failure(const std::string& what) const;
    HWND createControl(ControlId id, const ControlSpec& row);
    std::optional<ControlId> idOf(HWND hwnd) const;
    bool belongsToWindow(HWND hwnd) const;
    LRESULT colourLabel(HWND control, HDC dc);
    void noteRemovedPort(LPARAM lParam);
    void moveFocus(bool backwards);
    // Delivers pending messages until one of them yields an event.
    void pumpMessages();
    // A progress bar repaints at once when it is moved, for a few milliseconds; a cycle that
    // moved its bars at every turn would hold every turn's first line back by that long. So a
    // new position is kept here and painted by the waits as they go to sleep, one bar at most
    // every `everyMs` (100 ms; 500 ms while the controller answers too fast to sleep). A machine
    // whose turns take longer than that sees every position as soon as it is set.
    int paintProgress(std::int64_t everyMs);

    HINSTANCE instance_;
    std::wstring title_;
    int roomBeside_;
    UniqueWindow window_;
    HWND hwnd_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    double scale_ = 1;  // of the whole layout, for this screen
    FontSet fonts_;
    UniqueBrush panelBrush_;
    // Unregistered before the brush it paints with is deleted.
    RegisteredClass class_;
    std::array<std::optional<Rgb>, kControlCount> front_{};
    std::array<std::optional<Rgb>, kControlCount> back_{};
    std::array<UniqueBrush, kControlCount> backBrushes_{};
    // Made with the first tip; its tools are rectangles of the main window, since a label lets
    // the pointer's messages through to the window beneath it.
    UniqueWindow tips_;
    std::array<bool, kControlCount> tipShown_{};
    std::deque<Event> events_;
    // The port whose bytes end a wait; its read's event, where it is a COM port of ours.
    SerialPort* port_ = nullptr;
    const Win32SerialPort* signals_ = nullptr;
    // Above 0 while the program itself changes a control: what the control reports is dropped.
    int settingControl_ = 0;
    // Under Wine every look at the message queue is a call through its server, some 0.1 ms an
    // answer of the controller would wait: while the port keeps the wait busy, the queue is
    // looked at every kQueueLookMs only.
    static constexpr std::int64_t kQueueLookMs = 2;
    std::int64_t lastQueueLook_ = 0;
    bool portKeepsBusy_ = false;
    static constexpr std::int64_t kProgressPaintMs = 100;
    static constexpr std::int64_t kBusyProgressPaintMs = 500;
    std::array<std::optional<int>, kControlCount> pendingProgress_{};
    std::int64_t lastProgressPaint_ = 0;
};

}  // namespace tarvel::win32
