#include "runtime/missing_runtime_layout.h"

namespace jl {

namespace {

ScreenRect movedBy(const ScreenRect& rect, int dx, int dy) {
    return ScreenRect{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

}  // namespace

ScreenRect centreRect(const ScreenRect& window, const ScreenRect& reference) {
    const int left = reference.left + (reference.width() - window.width()) / 2;
    const int top = reference.top + (reference.height() - window.height()) / 2;
    return movedBy(window, left - window.left, top - window.top);
}

ScreenRect keepInsideArea(const ScreenRect& window, const ScreenRect& area) {
    int dx = 0;
    int dy = 0;
    // The far edges first, so that for a window larger than the area the near edges win.
    if (window.right > area.right) dx = area.right - window.right;
    if (window.left + dx < area.left) dx = area.left - window.left;
    if (window.bottom > area.bottom) dy = area.bottom - window.bottom;
    if (window.top + dy < area.top) dy = area.top - window.top;
    return movedBy(window, dx, dy);
}

}  // namespace jl
