// Placement of the missing-runtime dialog on the screen: centred over a reference
// rectangle (its owner, or the work area of a monitor) and kept inside a work area.
#pragma once

#include "support/rect.h"

namespace jl {

using ScreenRect = Rect;

// `window` moved so that its centre lies on the centre of `reference`, size kept.
ScreenRect centreRect(const ScreenRect& window, const ScreenRect& reference);

// `window` moved (never resized) as little as needed to lie inside `area`; a window
// larger than the area keeps its top left corner at the area's, so its title bar and
// the start of its text stay reachable.
ScreenRect keepInsideArea(const ScreenRect& window, const ScreenRect& area);

}  // namespace jl
