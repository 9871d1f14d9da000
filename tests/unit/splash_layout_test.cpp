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
        {1024, 768, 201, 121, {411, 323, 612, 444}},
        {1024, 768, 1024, 768, {0, 0, 1024, 768}},
        // One pixel wider than the screen: -1 / 2 truncates to 0, the last column is off screen.
        {1024, 768, 1025, 768, {0, 0, 1025, 768}},
        // Larger in both directions: half the excess hangs off each side, rounded toward the edge.
        {1024, 768, 1100, 803, {-38, -17, 1062, 786}},
        // An image that could not be read: a window of no size at the centre.
        {1024, 768, 0, 0, {512, 384, 512, 384}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splashPlacement(c.screenWidth, c.screenHeight, c.imageWidth, c.imageHeight), c.expected)
            << c.imageWidth << "x" << c.imageHeight << " on " << c.screenWidth << "x" << c.screenHeight;
    }
}

TEST(SplashPlacement, HugeSizesAreClampedNotOverflowed) {
    const SplashPlacement placement = splashPlacement(1024, 768, 0xFFFFFFFFLL, 0xFFFFFFFFLL);
    EXPECT_EQ(placement.left, (1024 - 0xFFFFFFFFLL) / 2);
    EXPECT_EQ(placement.top, (768 - 0xFFFFFFFFLL) / 2);
    EXPECT_EQ(placement.right, INT_MAX);
    EXPECT_EQ(placement.bottom, INT_MAX);
}

TEST(SplashClassStyles, ShadowFirstThenWithout) {
    const SplashClassStyles withShadow = splashClassStyles(true);
    ASSERT_EQ(withShadow.count, 2);
    EXPECT_EQ(withShadow.styles[0], 0x20808u);
    EXPECT_EQ(withShadow.styles[1], 0x808u);

    const SplashClassStyles withoutShadow = splashClassStyles(false);
    ASSERT_EQ(withoutShadow.count, 1);
    EXPECT_EQ(withoutShadow.styles[0], 0x808u);
}

}  // namespace
}  // namespace jl
