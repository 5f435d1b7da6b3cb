// Owners of Win32 handles: each releases its handle exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace tarvel::win32 {

template <typename Handle, typename Deleter>
class Unique {
  public:
    Unique() = default;
    explicit Unique(Handle h) : handle_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, Handle{}));
        return *this;
    }
    ~Unique() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    void reset(Handle h = Handle{}) {
        if (handle_ != Handle{}) Deleter{}(handle_);
        handle_ = h;
    }

  private:
    Handle handle_{};
};

struct GdiObjectDeleter {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct WindowDeleter {
    void operator()(HWND h) const { DestroyWindow(h); }
};

using UniqueFont = Unique<HFONT, GdiObjectDeleter>;
using UniqueBrush = Unique<HBRUSH, GdiObjectDeleter>;
using UniqueWindow = Unique<HWND, WindowDeleter>;

}  // namespace tarvel::win32
