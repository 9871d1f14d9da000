// Where the launcher's own splash window goes and how its window class is registered:
// plain arithmetic, kept apart from the window so that it can be checked anywhere.
#pragma once

#include <cstdint>

namespace jl {

// The window's rectangle in screen coordinates.
struct SplashPlacement {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const SplashPlacement& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// The image centred on the primary screen at its own size. Each offset is a signed
// division that truncates toward zero, so an image larger than the screen starts left
// of (or above) it by half the excess, rounded toward the screen's edge, and its far
// side falls off the screen. Sizes that do not fit an int are clamped.
SplashPlacement splashPlacement(int screenWidth, int screenHeight, long long imageWidth, long long imageHeight);

// Class styles of the splash window class: CS_DBLCLKS | CS_SAVEBITS, with CS_DROPSHADOW
// when a shadow is wanted.
constexpr uint32_t kSplashBaseClassStyle = 0x0008 | 0x0800;
constexpr uint32_t kDropShadowClassStyle = 0x20000;

// The styles to register the class with, tried in order until one is accepted: a
// system that refuses the drop shadow still gets a splash, without it.
struct SplashClassStyles {
    uint32_t styles[2] = {};
    int count = 0;
};
SplashClassStyles splashClassStyles(bool shadow);

}  // namespace jl
