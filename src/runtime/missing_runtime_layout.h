// Placement of the missing-runtime dialog on the screen: centred over a reference
// rectangle (its owner, or the work area of a monitor) and kept inside a work area.
#pragma once

namespace jl {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ScreenRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// `window` moved so that its centre lies on the centre of `reference`, size kept.
ScreenRect centreRect(const ScreenRect& window, const ScreenRect& reference);

// `window` moved (never resized) as little as needed to lie inside `area`; a window
// larger than the area keeps its top left corner at the area's, so its title bar and
// the start of its text stay reachable.
ScreenRect keepInsideArea(const ScreenRect& window, const ScreenRect& area);

}  // namespace jl
