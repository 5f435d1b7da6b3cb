#include "win32/win32_picture_window.h"

#include <algorithm>
#include <cmath>

#include "ui/window_scale.h"
#include "win32/owned_window_proc.h"
#include "win32/text.h"

namespace tarvel::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TarvelPictureWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kFrameTimer = 1;

COLORREF toColorRef(Rgb c) {
    return RGB(c.r, c.g, c.b);
}

// A bitmap the size of the window to paint into, selected into a memory DC for one frame.
class FrameBuffer {
  public:
    FrameBuffer(HDC screen, int width, int height)
        : dc_(CreateCompatibleDC(screen)),
          bitmap_(CreateCompatibleBitmap(screen, width, height)),
          old_(SelectObject(dc_, bitmap_.get())) {}
    ~FrameBuffer() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;
    HDC dc() const { return dc_; }

  private:
    HDC dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_;
};

}  // namespace

Win32PictureWindow::Win32PictureWindow(HINSTANCE instance, const Win32Window& main)
    : instance_(instance), main_(main) {}

Win32PictureWindow::~Win32PictureWindow() {
    // The window goes while its painter and fonts are still there; the class after it.
    window_.reset();
}

bool Win32PictureWindow::open(std::string_view title, int width, int height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ownedWindowProc<Win32PictureWindow>;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kClassName;
    class_ = RegisteredClass(wc);
    if (!class_) return false;
    const double scale = main_.scale();
    const RECT at = placement(static_cast<int>(std::lround(width * scale)),
                              static_cast<int>(std::lround(height * scale)));
    HWND hwnd =
        CreateWindowExW(0, kClassName, widen(title).c_str(), kStyle, at.left, at.top,
                        at.right - at.left, at.bottom - at.top, nullptr, nullptr, instance_, this);
    if (!hwnd) return false;
    window_.reset(hwnd);
    // Beside the main window, without taking the keyboard from it.
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    return true;
}

RECT Win32PictureWindow::placement(int clientWidth, int clientHeight) const {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT main{};
    GetWindowRect(main_.handle(), &main);
    const int mainWidth = main.right - main.left;
    const int y = std::clamp(static_cast<int>(main.top), static_cast<int>(work.top),
                             static_cast<int>(std::max(work.top, work.bottom - h)));
    if (mainWidth + w <= work.right - work.left) {
        // Both side by side, the pair in the middle of the work area: the main window moves.
        const int left = work.left + (work.right - work.left - mainWidth - w) / 2;
        SetWindowPos(main_.handle(), nullptr, left, main.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return {left + mainWidth, y, left + mainWidth + w, y + h};
    }
    // A screen too narrow for both even with the main window made smaller for it (1024 px): at
    // its left edge, over the parameter fields and the left of the bottom row, not over the
    // machine panel. The operator may move it.
    return {work.left, y, work.left + w, y + h};
}

void Win32PictureWindow::animate(int perSecond) {
    if (perSecond == framesPerSecond_ || !window_) return;
    framesPerSecond_ = perSecond;
    if (perSecond <= 0) {
        KillTimer(window_.get(), kFrameTimer);
        return;
    }
    SetTimer(window_.get(), kFrameTimer, static_cast<UINT>(1000 / perSecond), nullptr);
}

LRESULT Win32PictureWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // every frame paints its whole area
        case WM_TIMER:
            InvalidateRect(window_.get(), nullptr, FALSE);
            return 0;
        case WM_CLOSE:
            // Closing it leaves the program running; it only goes out of sight.
            ShowWindow(window_.get(), SW_HIDE);
            return 0;
        default:
            return DefWindowProcW(window_.get(), message, wParam, lParam);
    }
}

void Win32PictureWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_.get(), &ps);
    LARGE_INTEGER t0{}, t1{}, frequency{};
    QueryPerformanceCounter(&t0);
    RECT client{};
    GetClientRect(window_.get(), &client);
    if (painter_) {
        FrameBuffer frame(dc, client.right, client.bottom);
        draw(frame.dc(), painter_());
        BitBlt(dc, 0, 0, client.right, client.bottom, frame.dc(), 0, 0, SRCCOPY);
    }
    QueryPerformanceCounter(&t1);
    QueryPerformanceFrequency(&frequency);
    lastPaintMs_ = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000 /
                   static_cast<double>(frequency.QuadPart);
    EndPaint(window_.get(), &ps);
}

void Win32PictureWindow::draw(HDC dc, const Picture& picture) {
    const double s = main_.scale();
    auto px = [s](double v) { return static_cast<int>(std::lround(v * s)); };
    for (const Shape& shape : picture.shapes) {
        if (shape.kind == Shape::Kind::Text) {
            drawText(dc, shape);
            continue;
        }
        UniquePen pen(CreatePen(PS_SOLID, std::max(1, px(shape.width)), toColorRef(shape.colour)));
        UniqueBrush brush(shape.filled ? CreateSolidBrush(toColorRef(shape.colour)) : nullptr);
        SelectedObject usePen(dc, pen.get());
        SelectedObject useBrush(
            dc, shape.filled ? static_cast<HGDIOBJ>(brush.get()) : GetStockObject(NULL_BRUSH));
        switch (shape.kind) {
            case Shape::Kind::Line:
                MoveToEx(dc, px(shape.x), px(shape.y), nullptr);
                LineTo(dc, px(shape.x2), px(shape.y2));
                break;
            case Shape::Kind::Circle:
                Ellipse(dc, px(shape.x - shape.r), px(shape.y - shape.r), px(shape.x + shape.r),
                        px(shape.y + shape.r));
                break;
            case Shape::Kind::Rect:
                Rectangle(dc, px(shape.x), px(shape.y), px(shape.x + shape.x2),
                          px(shape.y + shape.y2));
                break;
            case Shape::Kind::Text:
                break;
        }
    }
}

void Win32PictureWindow::drawText(HDC dc, const Shape& shape) {
    const double s = main_.scale();
    SelectedObject useFont(dc, font(shape.points, shape.bold));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, toColorRef(shape.colour));
    SetTextAlign(dc, TA_BASELINE | (shape.centred ? TA_CENTER : TA_LEFT));
    const std::wstring words = widen(shape.text);
    TextOutW(dc, static_cast<int>(std::lround(shape.x * s)),
             static_cast<int>(std::lround(shape.y * s)), words.c_str(),
             static_cast<int>(words.size()));
}

HFONT Win32PictureWindow::font(double points, bool bold) {
    const int height = static_cast<int>(std::lround(points * main_.scale() * 96 / 72));
    UniqueFont& font = fonts_[{height, bold}];
    if (!font)
        font.reset(CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Arial"));
    return font.get();
}

}  // namespace tarvel::win32
