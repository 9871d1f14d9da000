// A window that is a C++ object: the object given to CreateWindowExW is bound to the
// window at WM_NCCREATE, receives every later message through its handleMessage, owns
// the window handle, and is unbound at WM_NCDESTROY, so it never sees a message for a
// window that is gone.
#pragma once

#include <windows.h>

#include "os/win32/unique_handle.h"

namespace jl {

template <typename Derived>
class WindowBase {
public:
    HWND window() const { return window_.get(); }

protected:
    WindowBase() = default;
    ~WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The procedure to register the class with; pass the object as the creation
    // parameter of CreateWindowExW.
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->window_.reset(window);
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            // The window is going away by itself; the owner must not destroy it again.
            (void)self->window_.release();
            self->onDestroyed(window);
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return self->handleMessage(message, wParam, lParam);
    }

    // Destroys the window; call it on the window's own thread.
    void destroyWindow() { window_.reset(); }

    os::UniqueWindow window_;
};

}  // namespace jl
