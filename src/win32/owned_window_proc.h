// The window procedure of a top-level window that an object of ours owns.
#pragma once

#include <windows.h>

namespace tarvel::win32 {

// The object passed as CreateWindowExW's last argument gets every message of the window once it
// holds the window (Owner::window_); until then, in WM_NCCREATE and the rest of creation, the
// default handling does.
template <typename Owner>
LRESULT CALLBACK ownedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (owner && owner->window_.get() == hwnd) return owner->handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tarvel::win32
