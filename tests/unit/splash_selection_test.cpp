// Which splash a launch shows, the "Display" keys it is chosen by, where the own splash
// window and the missing-runtime dialog go and the class styles the splash is registered
// with, and the runtime's native splash library driven through its four entries (fake
// entries here; the real loading is exercised end to end with tests/testsplash).
#include "splash/native_splash.h"
#include "splash/splash_layout.h"
#include "splash/splash_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "runtime/missing_runtime_layout.h"
#include "os/os.h"

namespace jl {
namespace {

TEST(SplashSelection, PlanFromImagePreferenceLibraryAndPlatform) {
    struct Case {
        const wchar_t* image;
        bool preferNative, libraryFound, hasOwnWindow;
        bool tryNative, ownWindow;
    };
    const Case cases[] = {
        // No image: nothing at all, whatever else is set.
        {L"", true, true, true, false, false}, {L"", true, true, false, false, false},
        // Windows: native only when preferred and present; the own window otherwise and
        // as the fallback when the native one does not start.
        {L"splash.png", true, true, true, true, true}, {L"splash.png", false, true, true, false, true},
        {L"splash.png", true, false, true, false, true},
        // Linux: the native splash is the only one, preferred or not.
        {L"splash.png", false, true, false, true, false}, {L"splash.png", true, true, false, true, false},
        {L"splash.png", true, false, false, false, false},
    };
    for (const Case& c : cases) {
        const SplashPlan plan = planSplash(c.image, c.preferNative, c.libraryFound, c.hasOwnWindow);
        EXPECT_EQ(plan.tryNative, c.tryNative) << c.image << " " << c.preferNative << c.libraryFound << c.hasOwnWindow;
        EXPECT_EQ(plan.ownWindow, c.ownWindow) << c.image << " " << c.preferNative << c.libraryFound << c.hasOwnWindow;
    }
}

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

// The dialog centred over its reference (its owner or the work area) and then kept
// inside the work area, moved only as far as needed.
TEST(DialogPlacement, CentresOverTheReferenceAndKeepsInsideTheArea) {
    struct Case {
        ScreenRect window, reference, centred;
        ScreenRect area, kept;
    };
    const ScreenRect screen{0, 0, 1024, 738};  // a task bar below
    const Case cases[] = {
        {{0, 0, 400, 300}, {0, 0, 1024, 768}, {312, 234, 712, 534}, screen, {312, 234, 712, 534}},
        // Odd free space rounds towards the reference's left and top.
        {{10, 10, 401, 301}, {0, 0, 1024, 768}, {316, 238, 707, 529}, screen, {316, 238, 707, 529}},
        // Over an owner on a second monitor to the left of the first, whose work area
        // does not start at the origin.
        {{0, 0, 200, 100}, {-1200, 100, -800, 400}, {-1100, 200, -900, 300}, {-1280, 0, 0, 1024},
         {-1100, 200, -900, 300}},
        // A window larger than the reference hangs over it on both sides.
        {{0, 0, 600, 400}, {100, 100, 300, 300}, {-100, 0, 500, 400}, screen, {0, 0, 600, 400}},
        // Over the right and bottom edges, and over the left and top edges of an area
        // beside the origin.
        {{600, 400, 1000, 700}, {700, 480, 1500, 1000}, {900, 590, 1300, 890}, screen, {624, 438, 1024, 738}},
        {{0, 0, 400, 300}, {-1450, -20, -1050, 280}, {-1450, -20, -1050, 280}, {-1280, 0, 0, 1024},
         {-1280, 0, -880, 300}},
        // Larger than the area: its top left corner, where the caption is, stays visible.
        {{0, 0, 1200, 800}, {0, 0, 1600, 1200}, {200, 200, 1400, 1000}, screen, {0, 0, 1200, 800}},
    };
    for (const Case& c : cases) {
        const ScreenRect centred = centreRect(c.window, c.reference), kept = keepInsideArea(centred, c.area);
        EXPECT_EQ(centred, c.centred) << centred.left << "," << centred.top;
        EXPECT_EQ(kept, c.kept) << kept.left << "," << kept.top;
    }
}

// --- the native splash over fake entries ---------------------------------------------

using Calls = std::vector<std::string>;
Calls calls;

NativeSplashEntries allEntries() {
    NativeSplashEntries entries;
    entries.init = [] { calls.push_back("init"); };
    entries.loadFile = [](const char* path) {
        calls.push_back(std::string("load ") + path);
        return 0;  // "could not show it": not looked at
    };
    entries.setFileJarName = [](const char* path, const char* jar) {
        calls.push_back(std::string("jar ") + path + "|" + jar);
    };
    entries.close = [] { calls.push_back("close"); };
    return entries;
}

TEST(NativeSplash, FourEntriesInOrderWithTheAnsiPathAndOneClose) {
    calls.clear();
    NativeSplash splash;
    const std::wstring image = L"C:\\Apps\\splash \u00fc.png";
    const std::string ansi = os::toThreadAnsi(image);
    ASSERT_TRUE(splash.start(allEntries(), image));
    EXPECT_EQ(calls, (Calls{"init", "load " + ansi, "jar " + ansi + "|"}));
    EXPECT_TRUE(splash.holdsCloseEntry());
    splash.close();
    splash.close();
    EXPECT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls.back(), "close");
    EXPECT_FALSE(splash.holdsCloseEntry());

    // Without a close entry the splash still starts; closing has nothing to call.
    NativeSplashEntries noClose = allEntries();
    noClose.close = nullptr;
    calls.clear();
    EXPECT_TRUE(splash.start(noClose, L"a.png"));
    splash.close();
    EXPECT_EQ(calls, (Calls{"init", "load a.png", "jar a.png|"}));
}

// Nothing is called before every entry is there, but the close entry is held and called.
TEST(NativeSplash, MissingEntryFailsButKeepsTheCloseEntry) {
    for (int missing = 0; missing < 3; ++missing) {
        NativeSplashEntries entries = allEntries();
        if (missing == 0) entries.init = nullptr;
        if (missing == 1) entries.loadFile = nullptr;
        if (missing == 2) entries.setFileJarName = nullptr;
        calls.clear();
        NativeSplash splash;
        EXPECT_FALSE(splash.start(entries, L"a.png")) << missing;
        EXPECT_EQ(calls, Calls{}) << missing;
        EXPECT_TRUE(splash.holdsCloseEntry()) << missing;
        splash.close();
        EXPECT_EQ(calls, Calls{"close"}) << missing;
    }
}

}  // namespace
}  // namespace jl
