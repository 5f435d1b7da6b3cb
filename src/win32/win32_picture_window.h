// A second top-level window that paints a picture the program draws, scaled as the main window
// is and placed beside it; painted into a bitmap first, so a frame never flickers.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "platform/picture.h"
#include "win32/handles.h"
#include "win32/win32_window.h"

namespace tarvel::win32 {

class Win32PictureWindow final : public PictureWindow {
  public:
    Win32PictureWindow(HINSTANCE instance, const Win32Window& main);
    ~Win32PictureWindow() override;
    Win32PictureWindow(const Win32PictureWindow&) = delete;
    Win32PictureWindow& operator=(const Win32PictureWindow&) = delete;

    bool open(std::string_view title, int width, int height) override;
    void setPainter(std::function<Picture()> painter) override { painter_ = std::move(painter); }
    void animate(int perSecond) override;

    HWND handle() const { return window_.get(); }
    // How long the last frame took to paint, in milliseconds.
    double lastPaintMs() const { return lastPaintMs_; }

  private:
    template <typename Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void draw(HDC dc, const Picture& picture);
    void drawText(HDC dc, const Shape& shape);
    HFONT font(double points, bool bold);
    // Beside the main window, the pair in the middle of the work area where it has room for both
    // (the main window moves), else at the work area's left edge.
    RECT placement(int width, int height) const;

    HINSTANCE instance_;
    const Win32Window& main_;
    RegisteredClass class_;
    UniqueWindow window_;
    std::function<Picture()> painter_;
    int framesPerSecond_ = 0;
    double lastPaintMs_ = 0;
    std::map<std::pair<int, bool>, UniqueFont> fonts_;
};

}  // namespace tarvel::win32
