#include "win32/win32_window.h"

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>

#include "platform/serial.h"
#include "win32/child_ids.h"
#include "win32/owned_window_proc.h"
#include "win32/text.h"
#include "win32/win32_clock.h"

namespace tarvel::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TarvelSwMainWindow";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
// Child window ids start above the dialog-box ids (IDOK, IDCANCEL, ...).

COLORREF toColorRef(Rgb c) {
    return RGB(c.r, c.g, c.b);
}

// Counts the program's own changes to controls, so their notifications are not taken as the
// operator's.
class SettingScope {
  public:
    explicit SettingScope(int& depth) : depth_(depth) { ++depth_; }
    ~SettingScope() { --depth_; }
    SettingScope(const SettingScope&) = delete;
    SettingScope& operator=(const SettingScope&) = delete;

  private:
    int& depth_;
};

struct ClassAndStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle classAndStyle(const ControlSpec& row) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (row.kind) {
        case ControlKind::Label:
            return {WC_STATICW,
                    child | SS_NOPREFIX | (row.align == Align::Centre ? SS_CENTER : SS_LEFT), 0};
        case ControlKind::TextField:
            return {WC_EDITW, child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::NumberField:
            return {WC_EDITW, child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL | ES_NUMBER,
                    WS_EX_CLIENTEDGE};
        case ControlKind::CommandBox:
            return {WC_EDITW,
                    child | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_WANTRETURN |
                        ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Button:
            return {WC_BUTTONW,
                    child | WS_TABSTOP | BS_PUSHBUTTON | (row.align == Align::Left ? BS_LEFT : 0),
                    0};
        case ControlKind::ProgressBar:
            return {PROGRESS_CLASSW, child, 0};
        case ControlKind::Trackbar:
            return {TRACKBAR_CLASSW, child | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, 0};
    }
    return {WC_STATICW, child, 0};
}

ControlEventKind notificationKind(WORD code) {
    switch (code) {
        case BN_CLICKED:
            return ControlEventKind::Clicked;
        case EN_SETFOCUS:
            return ControlEventKind::FocusGained;
        case EN_KILLFOCUS:
            return ControlEventKind::FocusLost;
        case EN_CHANGE:
            return ControlEventKind::TextChanged;
        default:
            return ControlEventKind::Other;
    }
}

// The primary screen as the layout sees it: its DPI (the program declares itself DPI aware, so
// this is the real one), its work area and the frame the window gets there.
Screen primaryScreen() {
    const ScreenDc dc;
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return {GetDeviceCaps(dc.get(), LOGPIXELSY),
            {work.left, work.top, work.right - work.left, work.bottom - work.top},
            frame.right - frame.left,
            frame.bottom - frame.top};
}

}  // namespace

Win32Window::Win32Window(HINSTANCE instance, std::wstring title, int roomBeside)
    : instance_(instance), title_(std::move(title)), roomBeside_(roomBeside) {}

Win32Window::~Win32Window() {
    // Controls go with their parent; the class goes after it, and the fonts and brushes last.
    hwnd_ = nullptr;
    tips_.reset();
    window_.reset();
}

std::string Win32Window::create() {
    INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX),
                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&common)) return failure("общие элементы управления не загружены");
    const Screen screen = primaryScreen();
    const WindowPlacement placement = placeMainWindow(screen, roomBeside_);
    scale_ = placement.scale;
    fonts_ = loadFonts(scale_, screen.dpi);
    panelBrush_.reset(CreateSolidBrush(toColorRef(colour::kPanel)));
    if (!registerClass()) return failure("класс окна не зарегистрирован");

    const Rect& at = placement.window;
    HWND hwnd = CreateWindowExW(0, kClassName, title_.c_str(), kWindowStyle, at.x, at.y, at.width,
                                at.height, nullptr, nullptr, instance_, this);
    if (!hwnd) return failure("главное окно не создано");
    window_.reset(hwnd);
    hwnd_ = hwnd;

    for (ControlId id : kEveryControl) {
        controls_[id.index()] = createControl(id, specOf(id));
        if (!controls_[id.index()])
            return failure("элемент окна " + std::to_string(id.number()) + " не создан");
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return {};
}

bool Win32Window::registerClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ownedWindowProc<Win32Window>;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = panelBrush_.get();
    wc.lpszClassName = kClassName;
    class_ = RegisteredClass(wc);
    return static_cast<bool>(class_);
}

std::string Win32Window::failure(const std::string& what) const {
    return what + ": " + systemMessage(GetLastError());
}

HWND Win32Window::createControl(ControlId id, const ControlSpec& row) {
    SettingScope scope(settingControl_);
    const ClassAndStyle cs = classAndStyle(row);
    std::wstring caption = widen(row.caption);
    if (row.font == kArrowFont && fonts_.webdingsMissing) caption = arrowTriangle(row.caption);
    const Rect r = scaled(row.rect, scale_);
    HWND control = CreateWindowExW(cs.exStyle, cs.className, caption.c_str(), cs.style, r.x, r.y,
                                   r.width, r.height, window_.get(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId(id))),
                                   instance_, nullptr);
    if (!control) return nullptr;
    const auto index = id.index();
    front_[index] = row.front;
    back_[index] = row.back;
    if (row.back) backBrushes_[index].reset(CreateSolidBrush(toColorRef(*row.back)));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.font(row.font)), FALSE);
    switch (row.kind) {
        case ControlKind::ProgressBar:
            SendMessageW(control, PBM_SETRANGE32, 0, 100);
            SendMessageW(control, PBM_SETPOS, 0, 0);
            break;
        case ControlKind::Trackbar:
            SendMessageW(control, TBM_SETRANGE, TRUE, MAKELPARAM(1, 10));
            SendMessageW(control, TBM_SETTICFREQ, 1, 0);
            SendMessageW(control, TBM_SETPOS, TRUE, 1);
            break;
        case ControlKind::CommandBox:
            SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no limit
            break;
        default:
            break;
    }
    return control;
}

void Win32Window::startTimer(int id, int periodMs) {
    SetTimer(window_.get(), static_cast<UINT_PTR>(id), static_cast<UINT>(periodMs), nullptr);
}

std::string Win32Window::text(ControlId id) const {
    HWND control = controls_.at(id.index());
    const int length = GetWindowTextLengthW(control);
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, buffer.data(), length + 1);
    buffer.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return narrow(buffer);
}

void Win32Window::setText(ControlId id, std::string_view text) {
    SettingScope scope(settingControl_);
    SetWindowTextW(controls_.at(id.index()), widen(text).c_str());
}

int Win32Window::state(ControlId id) const {
    HWND control = controls_.at(id.index());
    switch (specOf(id).kind) {
        case ControlKind::ProgressBar:
            return pendingProgress_[id.index()].value_or(
                static_cast<int>(SendMessageW(control, PBM_GETPOS, 0, 0)));
        case ControlKind::Trackbar:
            return static_cast<int>(SendMessageW(control, TBM_GETPOS, 0, 0));
        default:
            return 0;
    }
}

void Win32Window::setState(ControlId id, int state) {
    SettingScope scope(settingControl_);
    HWND control = controls_.at(id.index());
    switch (specOf(id).kind) {
        case ControlKind::ProgressBar:
            pendingProgress_[id.index()] = std::clamp(state, 0, 100);
            break;
        case ControlKind::Trackbar:
            SendMessageW(control, TBM_SETPOS, TRUE, std::clamp(state, 1, 10));
            break;
        default:
            break;
    }
}

void Win32Window::enable(ControlId id, bool enabled) {
    SettingScope scope(settingControl_);
    EnableWindow(controls_.at(id.index()), enabled ? TRUE : FALSE);
}

void Win32Window::show(ControlId id, bool visible) {
    SettingScope scope(settingControl_);
    ShowWindow(controls_.at(id.index()), visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Window::setFrontColour(ControlId id, Rgb colour) {
    front_.at(id.index()) = colour;
    InvalidateRect(controls_.at(id.index()), nullptr, TRUE);
}

void Win32Window::setBackColour(ControlId id, Rgb colour) {
    const auto index = id.index();
    back_.at(index) = colour;
    backBrushes_.at(index).reset(CreateSolidBrush(toColorRef(colour)));
    InvalidateRect(controls_.at(index), nullptr, TRUE);
}

namespace {

// What no box can show still goes somewhere: standard error, where one was given.
void toStandardError(std::string_view text) {
    const std::string line = std::string(text) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
}

}  // namespace

void Win32Window::setTip(ControlId id, std::string_view text) {
    const auto index = id.index();
    if (!window_ || !kEveryControl.contains(id)) return;
    if (!tips_) {
        tips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.get(),
                                    nullptr, instance_, nullptr));
        if (!tips_) return;
        SendMessageW(tips_.get(), TTM_SETMAXTIPWIDTH, 0, scaledLength(420, scale_));
    }
    std::wstring wide = widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window_.get();
    tool.uId = static_cast<UINT_PTR>(childId(id));
    GetWindowRect(controls_[index], &tool.rect);
    MapWindowPoints(nullptr, window_.get(), reinterpret_cast<POINT*>(&tool.rect), 2);
    tool.lpszText = wide.data();
    if (text.empty()) {
        if (tipShown_[index])
            SendMessageW(tips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        tipShown_[index] = false;
        return;
    }
    const UINT message = tipShown_[index] ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW;
    tipShown_[index] = SendMessageW(tips_.get(), message, 0, reinterpret_cast<LPARAM>(&tool)) ||
                       message == TTM_UPDATETIPTEXTW;
}

void Win32Window::showMessage(std::string_view text) {
    // A box that could not be shown answers 0; -1, what a dialog that could not be made answers,
    // is taken for the same.
    if (MessageBoxW(window_.get(), widen(text).c_str(), title_.c_str(), MB_OK | MB_ICONWARNING) > 0)
        return;
    toStandardError(text);
}

Answer Win32Window::ask(std::string_view question, Choices choices, Answer byDefault) {
    const bool cancel = choices == Choices::YesNoCancel;
    UINT style = (cancel ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONQUESTION;
    if (byDefault == Answer::No) style |= MB_DEFBUTTON2;
    if (byDefault == Answer::Cancel && cancel) style |= MB_DEFBUTTON3;
    switch (MessageBoxW(window_.get(), widen(question).c_str(), title_.c_str(), style)) {
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        case IDCANCEL:
            return Answer::Cancel;
        default:
            // No box: nothing is done, and the question is not lost.
            toStandardError(question);
            return cancel ? Answer::Cancel : Answer::No;
    }
}

// One bar a time, at most every `everyMs`: under Wine a bar takes about 2 ms to paint, which a
// wait for an "ok" that has just been woken must not spend. The ms until the next bar is due; -1
// when none is waiting.
int Win32Window::paintProgress(std::int64_t everyMs) {
    const std::int64_t now = steadyMs();
    const auto waiting = std::find_if(pendingProgress_.begin(), pendingProgress_.end(),
                                      [](const std::optional<int>& p) { return p.has_value(); });
    if (waiting == pendingProgress_.end()) return -1;
    if (now - lastProgressPaint_ < everyMs)
        return static_cast<int>(lastProgressPaint_ + everyMs - now);
    const std::size_t i = static_cast<std::size_t>(waiting - pendingProgress_.begin());
    SettingScope scope(settingControl_);
    SendMessageW(controls_[i], PBM_SETPOS, static_cast<WPARAM>(**waiting), 0);
    waiting->reset();
    lastProgressPaint_ = now;
    return static_cast<int>(everyMs);
}

Event Win32Window::waitForEvent(int timeoutMs) {
    const std::int64_t start = steadyMs();
    for (;;) {
        if (!portKeepsBusy_ || steadyMs() - lastQueueLook_ >= kQueueLookMs) {
            pumpMessages();
            lastQueueLook_ = steadyMs();
        }
        if (!events_.empty()) {
            const Event event = events_.front();
            events_.pop_front();
            return event;
        }
        portKeepsBusy_ = port_ && port_->settle();
        if (portKeepsBusy_) {
            // A controller that answers every line at once leaves no time to sleep: the bars
            // still move, less often.
            paintProgress(kBusyProgressPaintMs);
            return Event::portReady();
        }
        const std::int64_t elapsed = steadyMs() - start;
        if (elapsed >= timeoutMs) return Event::none();
        std::int64_t sleepMs = timeoutMs - elapsed;
        // The bars are painted only when there is time to sleep.
        for (const int due : {paintProgress(kProgressPaintMs), port_ ? port_->quietForMs() : -1})
            if (due >= 0) sleepMs = std::min<std::int64_t>(sleepMs, due);
        HANDLE signals[2] = {};
        const int count = signals_ ? signals_->signals(signals) : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(
            static_cast<DWORD>(count), count ? signals : nullptr, static_cast<DWORD>(sleepMs),
            QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        portKeepsBusy_ = woke < WAIT_OBJECT_0 + static_cast<DWORD>(count);
    }
}

void Win32Window::watch(SerialPort& port) {
    port_ = &port;
    signals_ = dynamic_cast<const Win32SerialPort*>(&port);
}

void Win32Window::pumpMessages() {
    MSG msg;
    while (events_.empty() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_KEYDOWN && belongsToWindow(msg.hwnd)) {
            // Every key reaches the loop, wherever the focus is; the focused control still gets
            // it, except Tab, which only moves the focus.
            events_.push_back(Event::keyDown(static_cast<int>(msg.wParam)));
            if (msg.wParam == VK_TAB) {
                moveFocus(GetKeyState(VK_SHIFT) < 0);
                continue;
            }
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Window::moveFocus(bool backwards) {
    const std::optional<ControlId> current = idOf(GetFocus());
    const int count = kEveryControl.size();
    const int step = backwards ? count - 1 : 1;
    int place = current ? kEveryControl.placeOf(*current) : (backwards ? 0 : count - 1);
    for (int tried = 0; tried < count; ++tried) {
        place = (place + step) % count;
        const ControlId id = kEveryControl.at(place);
        HWND control = controls_[id.index()];
        if (!takesFocus(specOf(id).kind) || !IsWindowEnabled(control) || !IsWindowVisible(control))
            continue;
        SetFocus(control);
        if (reportsFocus(specOf(id).kind)) SendMessageW(control, EM_SETSEL, 0, -1);
        return;
    }
}

std::optional<ControlId> Win32Window::idOf(HWND hwnd) const {
    if (!hwnd || GetParent(hwnd) != window_.get()) return std::nullopt;
    const std::optional<ControlId> id = controlOfChildId(GetDlgCtrlID(hwnd));
    if (!id || !kEveryControl.contains(*id) || controls_[id->index()] != hwnd) return std::nullopt;
    return id;
}

bool Win32Window::belongsToWindow(HWND hwnd) const {
    return hwnd == window_.get() || (hwnd && IsChild(window_.get(), hwnd));
}

LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = window_.get();
    switch (message) {
        case WM_COMMAND: {
            const auto id = idOf(reinterpret_cast<HWND>(lParam));
            if (id && settingControl_ == 0)
                events_.push_back(Event::controlEvent(*id, notificationKind(HIWORD(wParam))));
            return 0;
        }
        case WM_HSCROLL: {
            const auto id = idOf(reinterpret_cast<HWND>(lParam));
            if (id && settingControl_ == 0)
                events_.push_back(Event::controlEvent(*id, ControlEventKind::Other));
            return 0;
        }
        case WM_TIMER:
            events_.push_back(Event::timerTick(static_cast<int>(wParam)));
            return 0;
        case WM_CLOSE:
            // Only the main loop ends the program; the window stays until shut-down.
            events_.push_back(Event::close());
            return 0;
        case WM_DEVICECHANGE:
            if (wParam == DBT_DEVICEREMOVECOMPLETE) noteRemovedPort(lParam);
            return TRUE;
        case WM_CTLCOLORSTATIC:
            return colourLabel(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(panelBrush_.get());
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// Every top-level window hears of a COM port whose device went away: the only sign some drivers
// give of a pulled cable, and one that comes while the program is idle too.
void Win32Window::noteRemovedPort(LPARAM lParam) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_PORT) return;
    const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(header);
    if (const std::optional<int> n = comPortNumber(narrow(port->dbcp_name)))
        events_.push_back(Event::portRemoved(*n));
}

LRESULT Win32Window::colourLabel(HWND control, HDC dc) {
    const auto id = idOf(control);
    if (!id)
        return DefWindowProcW(window_.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    const std::size_t index = id->index();
    SetTextColor(dc, toColorRef(front_[index].value_or(Rgb{0, 0, 0})));
    SetBkColor(dc, toColorRef(back_[index].value_or(colour::kPanel)));
    // Labels without a colour of their own stand on the panel.
    HBRUSH brush = backBrushes_[index] ? backBrushes_[index].get() : panelBrush_.get();
    return reinterpret_cast<LRESULT>(brush);
}

}  // namespace tarvel::win32
