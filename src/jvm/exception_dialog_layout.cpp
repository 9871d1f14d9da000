#include "jvm/exception_dialog_layout.h"

namespace jl {

const ResizeRuleEntry kExceptionDialogRules[9] = {
    {1, ResizeRule::MoveRightDown},       // Ignore
    {2, ResizeRule::MoveRightDown},       // Stop
    {209, ResizeRule::Grow},              // group box
    {204, ResizeRule::Stay},              // error icon
    {210, ResizeRule::GrowWidth},         // introduction
    {208, ResizeRule::Grow},              // stack trace
    {211, ResizeRule::GrowWidthMoveDown}, // what the buttons do
    {212, ResizeRule::GrowWidthMoveDown}, // warning
    {kExceptionDialogGripId, ResizeRule::MoveRightDown},
};

ControlBox resizeControl(const ControlBox& initial, ResizeRule rule, int dx, int dy) {
    ControlBox box = initial;
    switch (rule) {
        case ResizeRule::Stay:
            break;
        case ResizeRule::MoveRightDown:
            box.left += dx;
            box.right += dx;
            box.top += dy;
            box.bottom += dy;
            break;
        case ResizeRule::Grow:
            box.right += dx;
            box.bottom += dy;
            break;
        case ResizeRule::GrowWidth:
            box.right += dx;
            break;
        case ResizeRule::GrowWidthMoveDown:
            box.right += dx;
            box.top += dy;
            box.bottom += dy;
            break;
    }
    return box;
}

}  // namespace jl
