// Owners of Win32 handles: each releases its handle exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace tarvel::win32 {

// Most handles are empty when null; file handles, the serial port's among them, when
// INVALID_HANDLE_VALUE (and a null one is no file either).
template <typename Handle>
struct NullIsEmpty {
    static Handle empty() { return Handle{}; }
    static bool isEmpty(Handle h) { return h == Handle{}; }
};
struct InvalidIsEmpty {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool isEmpty(HANDLE h) { return h == INVALID_HANDLE_VALUE || h == nullptr; }
};

template <typename Handle, typename Deleter, typename Empty = NullIsEmpty<Handle>>
class Unique {
  public:
    Unique() = default;
    explicit Unique(Handle h) : handle_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Empty::empty())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, Empty::empty()));
        return *this;
    }
    ~Unique() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return !Empty::isEmpty(handle_); }
    void reset(Handle h = Empty::empty()) {
        if (!Empty::isEmpty(handle_)) Deleter{}(handle_);
        handle_ = h;
    }
    // Hands the handle over to the caller, who closes it.
    Handle release() { return std::exchange(handle_, Empty::empty()); }

  private:
    Handle handle_ = Empty::empty();
};

struct GdiObjectDeleter {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct WindowDeleter {
    void operator()(HWND h) const { DestroyWindow(h); }
};
struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};

using UniqueFont = Unique<HFONT, GdiObjectDeleter>;
using UniqueBrush = Unique<HBRUSH, GdiObjectDeleter>;
using UniquePen = Unique<HPEN, GdiObjectDeleter>;
using UniqueBitmap = Unique<HBITMAP, GdiObjectDeleter>;
using UniqueWindow = Unique<HWND, WindowDeleter>;
using UniqueFile = Unique<HANDLE, HandleCloser, InvalidIsEmpty>;
using UniqueEvent = Unique<HANDLE, HandleCloser>;

// A window class of ours, registered while this lives. The name must outlive it.
class RegisteredClass {
  public:
    RegisteredClass() = default;
    explicit RegisteredClass(const WNDCLASSEXW& wc)
        : instance_(wc.hInstance), name_(RegisterClassExW(&wc) ? wc.lpszClassName : nullptr) {}
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;
    RegisteredClass& operator=(RegisteredClass&& other) noexcept {
        if (this != &other) {
            unregister();
            instance_ = other.instance_;
            name_ = std::exchange(other.name_, nullptr);
        }
        return *this;
    }
    ~RegisteredClass() { unregister(); }
    explicit operator bool() const { return name_ != nullptr; }

  private:
    void unregister() {
        if (name_) UnregisterClassW(std::exchange(name_, nullptr), instance_);
    }

    HINSTANCE instance_ = nullptr;
    const wchar_t* name_ = nullptr;
};

// The screen's device context, for measuring fonts.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// An object selected into a device context for one scope; the one before comes back after it.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace tarvel::win32
