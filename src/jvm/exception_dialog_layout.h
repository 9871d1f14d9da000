// How the controls of the "Java Exception" dialog follow a change of its size: each by
// a rule of its own, all relative to the layout the dialog started with.
#pragma once

#include <cstddef>

namespace jl {

struct ControlBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ControlBox& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

enum class ResizeRule {
    Stay,               // keeps its place and size
    MoveRightDown,      // follows the bottom-right corner
    Grow,               // grows with the width and the height
    GrowWidth,          // grows with the width only
    GrowWidthMoveDown,  // grows with the width and follows the bottom edge
};

struct ResizeRuleEntry {
    int controlId;
    ResizeRule rule;
};

// The dialog's controls by id; the size grip, which the dialog adds itself, has the id
// kExceptionDialogGripId.
constexpr int kExceptionDialogGripId = 1000;
extern const ResizeRuleEntry kExceptionDialogRules[9];

// A control's box after the dialog's client area has grown by dx and dy (negative
// values shrink) from its initial size.
ControlBox resizeControl(const ControlBox& initial, ResizeRule rule, int dx, int dy);

}  // namespace jl
