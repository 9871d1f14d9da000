// Where the own splash window goes on the screen, and the class styles it is registered
// with.
#include "splash/splash_layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace jl {
namespace {

TEST(SplashPlacement, CentresTheImageOnTheScreen) {
    struct Case {
        int screenWidth, screenHeight;
        long long imageWidth, imageHeight;
        SplashPlacement expected;
    };
    const Case cases[] = {
        {1920, 1080, 400, 300, {760, 390, 1160, 690}},
        // Odd free space: the extra pixel goes to the right and bottom.
        {1024, 768, 201, 121, {411, 323, 612, 444}}, {1024, 768, 1024, 768, {0, 0, 1024, 768}},
        // One pixel wider than the screen: -1 / 2 truncates to 0, the last column is off screen.
        {1024, 768, 1025, 768, {0, 0, 1025, 768}},
        // Larger in both directions: half the excess hangs off each side, rounded toward the edge.
        {1024, 768, 1100, 803, {-38, -17, 1062, 786}},
        // An image that could not be read: a window of no size at the centre.
        {1024, 768, 0, 0, {512, 384, 512, 384}},
        // Sizes beyond the int range are clamped, never overflowed.
        {1024, 768, 0xFFFFFFFFLL, 0xFFFFFFFFLL, {-2147483135, -2147483263, INT_MAX, INT_MAX}},
    };
    for (const Case& c : cases) {
        const SplashPlacement p = splashPlacement(c.screenWidth, c.screenHeight, c.imageWidth, c.imageHeight);
        EXPECT_EQ(p, c.expected) << c.imageWidth << "x" << c.imageHeight << ": " << p.left << "," << p.top << ","
                                 << p.right << "," << p.bottom;
    }
}

// The class is registered with the shadow first and, should that fail, the same without.
TEST(SplashClassStyles, ShadowFirstThenWithout) {
    const SplashClassStyles with = splashClassStyles(true), without = splashClassStyles(false);
    ASSERT_EQ(with.count, 2);
    ASSERT_EQ(without.count, 1);
    EXPECT_EQ(with.styles[1], without.styles[0]);
    EXPECT_NE(with.styles[0], with.styles[1]);
    EXPECT_EQ(with.styles[0] & with.styles[1], with.styles[1]);
}

}  // namespace
}  // namespace jl
