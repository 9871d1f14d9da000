#include "splash/splash_layout.h"

#include <climits>

namespace jl {

namespace {

int clampToInt(long long value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

SplashPlacement splashPlacement(int screenWidth, int screenHeight, long long imageWidth, long long imageHeight) {
    // Image sizes come from a decoder and may be anything; the sums stay in long long so
    // that a huge image gives a clamped rectangle rather than an overflow.
    const long long left = (screenWidth - imageWidth) / 2;
    const long long top = (screenHeight - imageHeight) / 2;
    SplashPlacement placement;
    placement.left = clampToInt(left);
    placement.top = clampToInt(top);
    placement.right = clampToInt(left + imageWidth);
    placement.bottom = clampToInt(top + imageHeight);
    return placement;
}

SplashClassStyles splashClassStyles(bool shadow) {
    SplashClassStyles result;
    if (shadow) result.styles[result.count++] = kSplashBaseClassStyle | kDropShadowClassStyle;
    result.styles[result.count++] = kSplashBaseClassStyle;
    return result;
}

}  // namespace jl
